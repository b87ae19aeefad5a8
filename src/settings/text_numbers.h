// SPDX-License-Identifier: GPL-3.0-or-later
// The interface texts by name: each is the number of its text in the language files, where
// data/README.md's table says what each one is and which must stay equal.
#pragma once
#include <cstdint>

// Glyphs the expression line shows in place of what was typed.
inline constexpr int32_t kSquareGlyph = 1;
inline constexpr int32_t kMinusGlyph = 2;
inline constexpr int32_t kCubeGlyph = 3;
inline constexpr int32_t kPlusGlyph = 4;
inline constexpr int32_t kReciprocalGlyph = 5;
inline constexpr int32_t kTimesGlyph = 6;
inline constexpr int32_t kPowerOfTenGlyph = 7;
inline constexpr int32_t kDivideGlyph = 8;
inline constexpr int32_t kSquareRootGlyph = 23;
inline constexpr int32_t kCubeRootGlyph = 25;
inline constexpr int32_t kNthRootGlyph = 27;
inline constexpr int32_t kPiGlyph = 30;
inline constexpr int32_t kEGlyph = 32;
inline constexpr int32_t kPowerAfterTenGlyph = 52;
inline constexpr int32_t kPowerGlyph = 53;
inline constexpr int32_t kPowerOfTenAfterTenGlyph = 74;
inline constexpr int32_t kPowerBeforeTwoGlyph = 76;
inline constexpr int32_t kSquareAfterPowerGlyph = 78;
inline constexpr int32_t kPowerBeforeThreeGlyph = 80;
inline constexpr int32_t kCubeAfterPowerGlyph = 82;
inline constexpr int32_t kPowerBeforeMinusOneGlyph = 83;
inline constexpr int32_t kFactorialGlyph = 84;
inline constexpr int32_t kMinusBeforeOneGlyph = 85;
inline constexpr int32_t kPercentGlyph = 86;
inline constexpr int32_t kReciprocalAfterPowerGlyph = 88;
inline constexpr int32_t kShownAnswerWord = 133;
inline constexpr int32_t kEqualGlyph = 155;
inline constexpr int32_t kGreaterGlyph = 156;
inline constexpr int32_t kLessGlyph = 157;
inline constexpr int32_t kGreaterOrEqualGlyph = 158;
inline constexpr int32_t kLessOrEqualGlyph = 159;
inline constexpr int32_t kNotEqualGlyph = 160;
inline constexpr int32_t kComparedAnswerWord = 176;
inline constexpr int32_t kStoreArrowText = 202;

// Names the user types, letters a to z and digits.
inline constexpr int32_t kCosName = 9;
inline constexpr int32_t kSinName = 10;
inline constexpr int32_t kTanName = 11;
inline constexpr int32_t kArcCosName = 12;
inline constexpr int32_t kArcSinName = 13;
inline constexpr int32_t kArcTanName = 14;
inline constexpr int32_t kCoshName = 15;
inline constexpr int32_t kSinhName = 16;
inline constexpr int32_t kTanhName = 17;
inline constexpr int32_t kArSinhName = 18;
inline constexpr int32_t kArTanhName = 19;
inline constexpr int32_t kToRadiansName = 20;
inline constexpr int32_t kToDegreesName = 21;
inline constexpr int32_t kSquareRootName = 22;
inline constexpr int32_t kCubeRootName = 24;
inline constexpr int32_t kNthRootName = 26;
inline constexpr int32_t kAbsName = 28;
inline constexpr int32_t kPiName = 29;
inline constexpr int32_t kAnswerWord = 31;
inline constexpr int32_t kLnName = 33;
inline constexpr int32_t kLogName = 34;
inline constexpr int32_t kIntName = 35;
inline constexpr int32_t kRoundName = 36;
inline constexpr int32_t kArCoshName = 51;
inline constexpr int32_t kPermutationsName = 54;
inline constexpr int32_t kCombinationsName = 55;
inline constexpr int32_t kTypedAnswerWord = 132;

// What keys and menu entries put into the line (typed names).
inline constexpr int32_t kFirstFunctionKeyInsert = 124;
inline constexpr int32_t kSecondFunctionKeyInsert = 125;
inline constexpr int32_t kThirdFunctionKeyInsert = 126;
inline constexpr int32_t kPiKeyInsert = 130;
inline constexpr int32_t kTabInsert = 131;
inline constexpr int32_t kSquareRootInsert = 134;
inline constexpr int32_t kCubeRootInsert = 135;
inline constexpr int32_t kNthRootInsert = 136;
inline constexpr int32_t kLnInsert = 137;
inline constexpr int32_t kLogInsert = 138;
inline constexpr int32_t kPermutationsInsert = 139;
inline constexpr int32_t kCombinationsInsert = 140;
inline constexpr int32_t kPiInsert = 141;
inline constexpr int32_t kSinInsert = 142;
inline constexpr int32_t kCosInsert = 143;
inline constexpr int32_t kTanInsert = 144;
inline constexpr int32_t kArcSinInsert = 145;
inline constexpr int32_t kArcCosInsert = 146;
inline constexpr int32_t kArcTanInsert = 147;
inline constexpr int32_t kSinhInsert = 148;
inline constexpr int32_t kCoshInsert = 149;
inline constexpr int32_t kTanhInsert = 150;
inline constexpr int32_t kArSinhInsert = 151;
inline constexpr int32_t kArCoshInsert = 152;
inline constexpr int32_t kArTanhInsert = 153;

// The window.
inline constexpr int32_t kWindowTitle = 37;

// Key captions.
inline constexpr int32_t kPlusKeyCaption = 38;
inline constexpr int32_t kMinusKeyCaption = 39;
inline constexpr int32_t kTimesKeyCaption = 40;
inline constexpr int32_t kDivideKeyCaption = 41;
inline constexpr int32_t kFirstFunctionKeyCaption = 42;
inline constexpr int32_t kSecondFunctionKeyCaption = 43;
inline constexpr int32_t kThirdFunctionKeyCaption = 44;
inline constexpr int32_t kPiKeyCaption = 45;
inline constexpr int32_t kRadiansKeyCaption = 46;
inline constexpr int32_t kDegreesKeyCaption = 47;
inline constexpr int32_t kResultKeyCaption = 48;
inline constexpr int32_t kFunctionMenuKeyCaption = 49;
inline constexpr int32_t kAngleLabelCaption = 50;
inline constexpr int32_t kTitleCaption = 114;
inline constexpr int32_t kQuitKeyCaption = 115;

// Menu titles, entries and hints.
inline constexpr int32_t kPowersMenuTitle = 56;
inline constexpr int32_t kPowerOfTenEntry = 57;
inline constexpr int32_t kSquareEntry = 58;
inline constexpr int32_t kCubeEntry = 59;
inline constexpr int32_t kReciprocalEntry = 60;
inline constexpr int32_t kSquareRootEntry = 61;
inline constexpr int32_t kCubeRootEntry = 62;
inline constexpr int32_t kNthRootEntry = 63;
inline constexpr int32_t kExponentialEntry = 64;
inline constexpr int32_t kLnEntry = 65;
inline constexpr int32_t kLogEntry = 66;
inline constexpr int32_t kTrigonometryMenuTitle = 67;
inline constexpr int32_t kCountingMenuTitle = 68;
inline constexpr int32_t kMemoryMenuTitle = 69;
inline constexpr int32_t kSquareRootHint = 70;
inline constexpr int32_t kCubeRootHint = 71;
inline constexpr int32_t kNthRootHint = 72;
inline constexpr int32_t kAdditionEntry = 73;
inline constexpr int32_t kSubtractionEntry = 75;
inline constexpr int32_t kMultiplicationEntry = 77;
inline constexpr int32_t kDivisionEntry = 79;
inline constexpr int32_t kPowerEntry = 81;
inline constexpr int32_t kPercentageEntry = 87;
inline constexpr int32_t kSinEntry = 89;
inline constexpr int32_t kCosEntry = 90;
inline constexpr int32_t kTanEntry = 91;
inline constexpr int32_t kArcSinEntry = 92;
inline constexpr int32_t kArcCosEntry = 93;
inline constexpr int32_t kArcTanEntry = 94;
inline constexpr int32_t kSinhEntry = 95;
inline constexpr int32_t kCoshEntry = 96;
inline constexpr int32_t kTanhEntry = 97;
inline constexpr int32_t kArSinhEntry = 98;
inline constexpr int32_t kArCoshEntry = 99;
inline constexpr int32_t kArTanhEntry = 100;
inline constexpr int32_t kFactorialEntry = 101;
inline constexpr int32_t kExponentialEntryPower = 102;
inline constexpr int32_t kPermutationsEntry = 103;
inline constexpr int32_t kPermutationsEntryName = 104;
inline constexpr int32_t kCombinationsEntry = 105;
inline constexpr int32_t kCombinationsEntryName = 106;
inline constexpr int32_t kOperationsMenuTitle = 107;
inline constexpr int32_t kPiEntry = 108;
inline constexpr int32_t kPiHint = 109;
inline constexpr int32_t kClearAllEntry = 154;
inline constexpr int32_t kComparisonsMenuTitle = 161;
inline constexpr int32_t kEqualEntry = 162;
inline constexpr int32_t kGreaterEntry = 163;
inline constexpr int32_t kLessEntry = 164;
inline constexpr int32_t kGreaterOrEqualEntry = 165;
inline constexpr int32_t kLessOrEqualEntry = 166;
inline constexpr int32_t kNotEqualEntry = 167;
inline constexpr int32_t kCopyEntry = 168;
inline constexpr int32_t kCutEntry = 169;
inline constexpr int32_t kPasteEntry = 170;
inline constexpr int32_t kStoreAnswerText = 203;
inline constexpr int32_t kClearMemoriesText = 204;

// The message shown when the skin cannot be opened.
inline constexpr int32_t kSkinFailureTitle = 110;
inline constexpr int32_t kSkinFailureBeforeName = 111;
inline constexpr int32_t kSkinFailureAfterName = 112;
inline constexpr int32_t kSkinFailureAdvice = 113;

// Error messages, in the order of the evaluator's error kinds 1 to 5.
inline constexpr int32_t kMissingOperandError = 171;
inline constexpr int32_t kDivisionByZeroError = 172;
inline constexpr int32_t kUnknownOperatorError = 173;
inline constexpr int32_t kUnknownFunctionError = 174;
inline constexpr int32_t kOutsideDomainError = 175;

// Pieces of the answer line.
inline constexpr int32_t kAnswerMinus = 177;
inline constexpr int32_t kAnswerSlash = 178;
inline constexpr int32_t kAnswerTimes = 179;
inline constexpr int32_t kExactFormEquals = 180;
inline constexpr int32_t kAnswerPower = 181;

// Pieces of exact forms, and the two rewrites that clean them.
inline constexpr int32_t kExactMinus = 182;
inline constexpr int32_t kExactFractionBar = 183;
inline constexpr int32_t kPiMultipleFirst = 184;
inline constexpr int32_t kPiMultipleSecond = 185;
inline constexpr int32_t kRootTwoMultipleBefore = 186;
inline constexpr int32_t kRootTwoMultipleAfter = 187;
inline constexpr int32_t kRootThreeMultipleBefore = 188;
inline constexpr int32_t kRootThreeMultipleAfter = 189;
inline constexpr int32_t kNegativeTriggerFirst = 190;
inline constexpr int32_t kNegativeTriggerSecond = 191;
inline constexpr int32_t kNegativeSignInFront = 192;
inline constexpr int32_t kNegativeReplacedFirst = 193;
inline constexpr int32_t kNegativeReplacedSecond = 194;
inline constexpr int32_t kNegativeReplacement = 195;
inline constexpr int32_t kUnitNumeratorBefore = 196;
inline constexpr int32_t kUnitNumeratorAfter = 197;
inline constexpr int32_t kUnitNumeratorReplacement = 198;
inline constexpr int32_t kPiExactForm = 199;
inline constexpr int32_t kRootTwoExactForm = 200;
inline constexpr int32_t kRootThreeExactForm = 201;

// The skin menu: the title of the submenu that lists the skins, and the "?" submenu's entries;
// the About window: the word before the version number, the licence, and how answers are
// computed; the second line of the message that a chosen skin could not be opened, when the
// shipped one opens in its place.
inline constexpr int32_t kSkinsSubmenuText = 205;
inline constexpr int32_t kAboutText = 206;
inline constexpr int32_t kAlwaysOnTopText = 207;
inline constexpr int32_t kVersionText = 208;
inline constexpr int32_t kLicenceText = 209;
inline constexpr int32_t kAnswersText = 210;
inline constexpr int32_t kSkinFallbackText = 211;

// What a screen reader says for the keys whose caption speech reads badly (a glyph, an
// abbreviation), then the names of the expression line and the history; in this order from
// kFirstSpokenText.
inline constexpr int32_t kFirstSpokenText = 212;
inline constexpr int32_t kSpokenPlusText = kFirstSpokenText,
                         kSpokenMinusText = kFirstSpokenText + 1,
                         kSpokenTimesText = kFirstSpokenText + 2,
                         kSpokenDividedText = kFirstSpokenText + 3,
                         kSpokenPointText = kFirstSpokenText + 4,
                         kSpokenCosineText = kFirstSpokenText + 5,
                         kSpokenSineText = kFirstSpokenText + 6,
                         kSpokenTangentText = kFirstSpokenText + 7,
                         kSpokenPiText = kFirstSpokenText + 8,
                         kSpokenRadiansText = kFirstSpokenText + 9,
                         kSpokenDegreesText = kFirstSpokenText + 10,
                         kSpokenEqualsText = kFirstSpokenText + 11,
                         kSpokenFunctionsText = kFirstSpokenText + 12,
                         kSpokenQuitText = kFirstSpokenText + 13,
                         kExpressionNameText = kFirstSpokenText + 14,
                         kHistoryNameText = kFirstSpokenText + 15;

// The message that the settings could not be saved: its title, the words before the folder's
// name, the reason (a full disk, a folder or file that may not be written, any other failure),
// and what happens next; at the exit, the question that follows and its two answers.
inline constexpr int32_t kSaveFailedTitle = 228;
inline constexpr int32_t kSaveFailedText = 229;
inline constexpr int32_t kDiskFullText = 230;
inline constexpr int32_t kNotWritableText = 231;
inline constexpr int32_t kSaveErrorText = 232;
inline constexpr int32_t kSaveRetriedText = 233;
inline constexpr int32_t kExitUnsavedText = 234;
inline constexpr int32_t kRetrySaveText = 235;
inline constexpr int32_t kQuitUnsavedText = 236;

// A second start where the copy that holds the folder cannot be seen: the words before the name
// of the display it is on, and, on Windows, the whole message for another session.
inline constexpr int32_t kOpenOnDisplayText = 237;
inline constexpr int32_t kOpenInSessionText = 238;

// The language dialog, read from each language's own file before any is loaded: the line
// saying what it asks, and the language's name as its readers write it.
inline constexpr int32_t kLanguagePromptText = 240;
inline constexpr int32_t kLanguageOwnNameText = 241;

// What is wrong with a skin that cannot be opened, after the file's name (SkinProblemKind):
// its folder or a required file is missing, a file is no image that can be read, an image's
// size is not that of Normal.png, the images are too large, the item map holds too many items,
// the item map has no expression line or no history (the item's colour follows the text).
inline constexpr int32_t kSkinFolderMissingText = 242;
inline constexpr int32_t kSkinFileMissingText = 243;
inline constexpr int32_t kSkinFileUnreadableText = 244;
inline constexpr int32_t kSkinWrongSizeText = 245;
inline constexpr int32_t kSkinTooLargeText = 246;
inline constexpr int32_t kSkinTooManyItemsText = 247;
inline constexpr int32_t kSkinNoExpressionText = 248;
inline constexpr int32_t kSkinNoHistoryText = 249;

// The highest text number the program uses.
inline constexpr int32_t kLastText = kSkinNoHistoryText;

// The error message of an evaluation's error kind, 1 to 5.
constexpr int32_t ErrorText(int32_t errorKind) { return kMissingOperandError - 1 + errorKind; }
