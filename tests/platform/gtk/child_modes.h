// SPDX-License-Identifier: GPL-3.0-or-later
// The parts the test program plays when started again by a test, chosen by an environment
// variable: "report:<file>" writes its executable, working folder, argument count and name
// (argument 0) to the file; "copy:<text>" puts the text on the clipboard and ends through
// EndProgram with code 5.
#pragma once

inline constexpr const char* kChildModeVariable = "TORNAVELLE_GTK_TEST_CHILD";

int RunChildMode(const char* mode, int argc, char** argv);
