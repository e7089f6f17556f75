#pragma once

// The identifiers of the windows and their controls. Every window and control carries its number
// as its object name, so that the help pages, the tests and the screenshot tour find a control by
// the number users and older notes know it by; the code names each one by what it is.
namespace dorvanix::ids {

// The main window and its About box.
inline constexpr char kMainWindow[] = "102";
inline constexpr char kMEdit[] = "1001";
inline constexpr char kREdit[] = "1002";
inline constexpr char kBEdit[] = "1003";
inline constexpr char kNoDuplicatesBox[] = "1033";
inline constexpr char kGenusBox[] = "1034";
inline constexpr char kSimpleCrustsBox[] = "1035";
inline constexpr char kCoreShownEdit[] = "1036";
inline constexpr const char* kRequiredEdits[4] = {"1037", "1038", "1039", "1040"};
inline constexpr char kMultiplicityBox[] = "1041";
inline constexpr char kGenusEdit[] = "1042";
inline constexpr char kMainOkButton[] = "1007";
inline constexpr char kMainCancelButton[] = "2";
inline constexpr char kMainHelpButton[] = "1000";
inline constexpr char kAboutAction[] = "16";
inline constexpr char kAboutBox[] = "100";
inline constexpr char kAboutIcon[] = "128";
inline constexpr char kAboutOkButton[] = "1";

// The fiber list.
inline constexpr char kFiberList[] = "101";
inline constexpr char kFiberLines[] = "1006";
inline constexpr char kFiberOkButton[] = "1007";
inline constexpr char kFiberCancelButton[] = "1008";
inline constexpr char kFiberHelpButton[] = "1005";
inline constexpr char kFiberSaveButton[] = "1030";

// The sub-divisor dialog.
inline constexpr char kSubdivisorDialog[] = "106";
inline constexpr char kFiberEdit[] = "1010";
inline constexpr char kSubdivisorLines[] = "1011";
inline constexpr char kCancelButton[] = "1012";
inline constexpr char kPictureButton[] = "1013";
inline constexpr char kSelectButton[] = "1014";
inline constexpr char kHelpButton[] = "1015";
inline constexpr char kSelectedLines[] = "1016";
inline constexpr char kDeleteButton[] = "1017";
inline constexpr char kEllBox[] = "1025";
inline constexpr char kEllEdit[] = "1026";
inline constexpr char kExceptOnlyABBox[] = "1027";
inline constexpr char kRelistButton[] = "1028";
inline constexpr char kOnlyABCBox[] = "1029";
inline constexpr char kSaveListButton[] = "1030";
inline constexpr char kQuorbelButton[] = "1043";

// The picture window.
inline constexpr char kPictureWindow[] = "108";

}  // namespace dorvanix::ids
