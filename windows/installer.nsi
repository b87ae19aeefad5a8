; SPDX-License-Identifier: GPL-3.0-or-later
; The Windows installer, Tornavelle-<version>-setup.exe, built by makensis from the target
; windows-installer, which defines:
;   VERSION       the project's version, 1.0.0       VERSION_DOTS  the same as 1.0.0.0
;   PUBLISHER     who makes Tornavelle                HOMEPAGE      its site
;   STAGE         a folder holding Tornavelle.exe, PrepareUserFolder.exe and shipped\ (the skin
;                 and languages)
;   ICON          the application's .ico              OUTFILE       the installer to write
;   LEGAL_COPYRIGHT  the copyright and licence line of the version resources
;
; The stage also holds COPYING.txt, the licence, which the installer shows before anything is
; installed and installs beside the program, and THIRD-PARTY.txt, the notices of the libraries
; linked into Tornavelle.exe.
;
; A per-user installation that needs no administrator: the program goes into the user's local
; programs folder; the settings, history and language stay in the user's roaming application
; data, %APPDATA%\Tornavelle, which no install, upgrade or uninstall removes. That folder also
; holds the user's copies of the skin and languages, where the calculator reads them, filled by
; PrepareUserFolder.exe at each install, which never replaces a copy the user edited. The
; Start-menu shortcut starts the program in that folder.
;
; /S installs or uninstalls silently; the installer's exit code is 0 when it installed.
; A 64-bit installer for a 64-bit program: it runs where Tornavelle.exe runs, Wine's 64-bit
; prefix included.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tornavelle"
!define USER_FOLDER "$APPDATA\Tornavelle"

Name "Tornavelle"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Tornavelle"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Tornavelle ${VERSION}"

VIProductVersion "${VERSION_DOTS}"
VIFileVersion "${VERSION_DOTS}"
VIAddVersionKey /LANG=1033 "ProductName" "Tornavelle"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "Tornavelle ${VERSION} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${LEGAL_COPYRIGHT}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
; The licence is shown, not asked for: it says what one may do when sharing or changing the
; program, not what one must accept to use it.
!define MUI_LICENSEPAGE_TEXT_BOTTOM "$(LicenceNote)"
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!insertmacro MUI_PAGE_LICENSE "${STAGE}/COPYING.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartTornavelle
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The uninstaller's last page says what it left.
!define MUI_FINISHPAGE_TEXT "$(SettingsKept)"
!insertmacro MUI_UNPAGE_FINISH

; The languages of the calculator; the installer takes the one of the user's Windows.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "Spanish"
!insertmacro MUI_LANGUAGE "Italian"

LangString SettingsKept ${LANG_ENGLISH} "Tornavelle has been removed from your computer.$\r$\n$\r$\nYour settings, history and language choice are kept in ${USER_FOLDER}, for a later installation. Delete that folder to remove them too."
LangString SettingsKept ${LANG_FRENCH} "Tornavelle a été supprimé de votre ordinateur.$\r$\n$\r$\nVos réglages, votre historique et votre choix de langue sont conservés dans ${USER_FOLDER}, pour une prochaine installation. Supprimez ce dossier pour les effacer aussi."
LangString SettingsKept ${LANG_GERMAN} "Tornavelle wurde von Ihrem Computer entfernt.$\r$\n$\r$\nIhre Einstellungen, Ihr Verlauf und Ihre Sprachwahl bleiben in ${USER_FOLDER} für eine spätere Installation erhalten. Löschen Sie diesen Ordner, um auch sie zu entfernen."
LangString SettingsKept ${LANG_SPANISH} "Tornavelle se ha eliminado de su equipo.$\r$\n$\r$\nSu configuración, su historial y su idioma se conservan en ${USER_FOLDER} para una instalación posterior. Elimine esa carpeta para borrarlos también."
LangString SettingsKept ${LANG_ITALIAN} "Tornavelle è stato rimosso dal computer.$\r$\n$\r$\nLe impostazioni, la cronologia e la lingua scelta restano in ${USER_FOLDER} per una futura installazione. Elimini quella cartella per cancellarle."
LangString LicenceNote ${LANG_ENGLISH} "Tornavelle is free software under the GNU General Public License, version 3 or later. You need not accept it to use Tornavelle: it says what you may do when you share or change it."
LangString LicenceNote ${LANG_FRENCH} "Tornavelle est un logiciel libre, sous la licence publique générale GNU, version 3 ou ultérieure. Vous n'avez pas à l'accepter pour utiliser Tornavelle : elle dit ce que vous pouvez faire en le partageant ou en le modifiant."
LangString LicenceNote ${LANG_GERMAN} "Tornavelle ist freie Software unter der GNU General Public License, Version 3 oder später. Sie müssen sie nicht annehmen, um Tornavelle zu benutzen: Sie regelt, was Sie beim Weitergeben oder Verändern tun dürfen."
LangString LicenceNote ${LANG_SPANISH} "Tornavelle es software libre bajo la Licencia Pública General de GNU, versión 3 o posterior. No necesita aceptarla para usar Tornavelle: indica lo que puede hacer al compartirlo o modificarlo."
LangString LicenceNote ${LANG_ITALIAN} "Tornavelle è software libero, sotto la GNU General Public License, versione 3 o successiva. Non occorre accettarla per usare Tornavelle: indica che cosa può fare condividendolo o modificandolo."
LangString PrepareFailed ${LANG_ENGLISH} "Your folder ${USER_FOLDER} could not be prepared."
LangString PrepareFailed ${LANG_FRENCH} "Votre dossier ${USER_FOLDER} n'a pas pu être préparé."
LangString PrepareFailed ${LANG_GERMAN} "Ihr Ordner ${USER_FOLDER} konnte nicht vorbereitet werden."
LangString PrepareFailed ${LANG_SPANISH} "No se ha podido preparar su carpeta ${USER_FOLDER}."
LangString PrepareFailed ${LANG_ITALIAN} "Non è stato possibile preparare la cartella ${USER_FOLDER}."

Section "Tornavelle"
  SetOutPath "$INSTDIR"
  File "${STAGE}/Tornavelle.exe"
  File "${STAGE}/PrepareUserFolder.exe"
  File "${STAGE}/COPYING.txt"
  File "${STAGE}/THIRD-PARTY.txt"
  ; The skin and languages of this release alone: an upgrade drops what is no longer shipped.
  RMDir /r "$INSTDIR\shipped"
  SetOutPath "$INSTDIR\shipped"
  File /r "${STAGE}/shipped/*"

  ExecWait '"$INSTDIR\PrepareUserFolder.exe" "$INSTDIR\shipped" "${USER_FOLDER}"' $0
  ${If} $0 != 0
    MessageBox MB_ICONSTOP "$(PrepareFailed)" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ; The shortcut's working folder is the one of the last SetOutPath: the user's folder.
  SetOutPath "${USER_FOLDER}"
  CreateShortcut "$SMPROGRAMS\Tornavelle.lnk" "$INSTDIR\Tornavelle.exe" "" "$INSTDIR\Tornavelle.exe" 0

  ; Windows' list of apps.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Tornavelle"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tornavelle.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "${HOMEPAGE}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0  ; in KiB
SectionEnd

Function StartTornavelle
  SetOutPath "${USER_FOLDER}"  ; Exec starts the program in the output folder
  Exec '"$INSTDIR\Tornavelle.exe"'
FunctionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\Tornavelle.lnk"
  Delete "$INSTDIR\Tornavelle.exe"
  Delete "$INSTDIR\PrepareUserFolder.exe"
  Delete "$INSTDIR\COPYING.txt"
  Delete "$INSTDIR\THIRD-PARTY.txt"
  RMDir /r "$INSTDIR\shipped"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"  ; only when empty: nothing of the user's is ever deleted
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
