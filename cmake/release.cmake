# SPDX-License-Identifier: GPL-3.0-or-later
# The releases, from debian/changelog: its newest entry must be the project's version, its date
# is the release's date, and its entries become the AppStream releases, so that the release notes
# are written once. A version with no entry stops the configuration, so no package is ever built
# with a changelog that does not know it.
#   TORNAVELLE_RELEASE_DATE        the newest release's date, YYYY-MM-DD
#   TORNAVELLE_APPSTREAM_RELEASES  <release> elements, newest first
#   TORNAVELLE_VERSION_COMMAS      the version as Windows resources write it: 1,0,0,0
#   TORNAVELLE_VERSION_DOTS        and as manifests and installers do: 1.0.0.0
set(changelog "${PROJECT_SOURCE_DIR}/debian/changelog")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${changelog}")
file(STRINGS "${changelog}" changelog_lines ENCODING UTF-8)
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
set(TORNAVELLE_RELEASE_DATE "")
set(TORNAVELLE_APPSTREAM_RELEASES "")
set(version "")
set(items "")
set(item "")
# Closes the item being read: one paragraph of the release's description.
macro(close_item)
  if(item)
    string(REPLACE "&" "&amp;" item "${item}")
    string(REPLACE "<" "&lt;" item "${item}")
    string(REPLACE ">" "&gt;" item "${item}")
    string(APPEND items "          <li>${item}</li>\n")
    set(item "")
  endif()
endmacro()
foreach(line IN LISTS changelog_lines)
  if(line MATCHES "^tornavelle \\(([^)]+)\\)")
    set(version "${CMAKE_MATCH_1}")
    if(NOT TORNAVELLE_APPSTREAM_RELEASES AND NOT version STREQUAL PROJECT_VERSION)
      message(FATAL_ERROR "debian/changelog's newest entry is ${version}, the project's version is "
                          "${PROJECT_VERSION}: write the release's entry (dch -v ${PROJECT_VERSION})")
    endif()
  elseif(line MATCHES "^  \\* (.*)")
    close_item()
    set(item "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^    +(.*)" AND item)
    string(APPEND item " ${CMAKE_MATCH_1}")
  elseif(line MATCHES "^ -- .*>  [A-Z][a-z][a-z], ([0-9]?[0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    close_item()
    set(day "${CMAKE_MATCH_1}")
    set(year "${CMAKE_MATCH_3}")
    list(FIND months "${CMAKE_MATCH_2}" month)
    math(EXPR month "${month} + 1")
    if(month LESS 10)
      set(month "0${month}")
    endif()
    string(LENGTH "${day}" day_digits)
    if(day_digits EQUAL 1)
      set(day "0${day}")
    endif()
    set(date "${year}-${month}-${day}")
    if(NOT TORNAVELLE_RELEASE_DATE)
      set(TORNAVELLE_RELEASE_DATE "${date}")
    endif()
    string(APPEND TORNAVELLE_APPSTREAM_RELEASES
           "    <release version=\"${version}\" date=\"${date}\">\n"
           "      <description>\n        <ul>\n${items}        </ul>\n      </description>\n"
           "    </release>\n")
    set(items "")
  endif()
endforeach()
if(NOT TORNAVELLE_RELEASE_DATE)
  message(FATAL_ERROR "debian/changelog has no entry for ${PROJECT_VERSION} with its date")
endif()
set(TORNAVELLE_VERSION_DOTS
    "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
set(TORNAVELLE_VERSION_COMMAS
    "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
# Placeholders until the project has a site of its own: the AppStream identifier is the
# reverse of its domain, and the screenshot is docs/calculator.png published there.
set(TORNAVELLE_HOMEPAGE "https://example.org/tornavelle")
set(TORNAVELLE_APPSTREAM_ID "org.example.tornavelle")
set(TORNAVELLE_PUBLISHER "The Tornavelle developers")
# The licence, as SPDX names it: the Windows version resources and the installer say it.
set(TORNAVELLE_LICENCE "GPL-3.0-or-later")
set(TORNAVELLE_LEGAL_COPYRIGHT "Copyright 2026 ${TORNAVELLE_PUBLISHER}. License: ${TORNAVELLE_LICENCE}")
