// Ids of the program's commands, dialogs and controls, as its resources number them. The desktop
// program names its actions and widgets after them, so tests find them by these numbers.
#pragma once

namespace tarvosk::res {

// Commands
constexpr unsigned ID_VIEW_AS_BINARY = 142;
constexpr unsigned ID_VIEW_AS_PICTURE = 32933;
constexpr unsigned ID_UNDELETE = 138;
constexpr unsigned ID_SEARCH = 141;
constexpr unsigned ID_APP_EXIT = 57665;
constexpr unsigned ID_VIEW_TOOLBAR = 59392;
constexpr unsigned ID_VIEW_STATUS_BAR = 59393;
constexpr unsigned ID_REFRESH = 191;
constexpr unsigned ID_BACK = 193;
constexpr unsigned ID_FORWARD = 194;
constexpr unsigned ID_UP = 32772;
constexpr unsigned ID_GO_TO_FOLDER = 184;
constexpr unsigned ID_SCAN_WIZARD = 32938;
constexpr unsigned ID_OPTIONS = 175;
constexpr unsigned ID_PHYSICAL_SCAN = 32936;
constexpr unsigned ID_PROPERTIES = 187;
constexpr unsigned ID_CLOSE_SEARCH = 32941;
constexpr unsigned ID_LOGGING = 32927;
constexpr unsigned ID_SELECT_ALL = 32929;
constexpr unsigned ID_APP_ABOUT = 57664;
constexpr unsigned ID_HELP_FINDER = 57667;
constexpr unsigned ID_HELP = 57670;
constexpr unsigned ID_CONTEXT_HELP = 57669;
constexpr unsigned ID_DEFAULT_HELP = 57671;
constexpr unsigned ID_ATTACH_IMAGE = 32950;  // the Linux program's own: attach a disk image

// Dialogs
constexpr unsigned IDD_ABOUTBOX = 100;
constexpr unsigned IDD_PROGRESS = 9;
constexpr unsigned IDD_OPTIONS = 190;
constexpr unsigned IDD_LOGGING = 223;
constexpr unsigned IDD_VIEWER = 165;
constexpr unsigned IDD_YES_NO = 173;
constexpr unsigned IDD_LOG = 219;
constexpr unsigned IDD_PREVIEW = 241;

// Results of the viewer's undelete buttons
constexpr int IDR_UNDELETE_ALL = 182;
constexpr int IDR_UNDELETE_SELECTION = 210;
constexpr unsigned IDD_SEARCH_NAME = 176;       // the search sheet's pages
constexpr unsigned IDD_SEARCH_SIZE_DATE = 224;
constexpr unsigned IDD_SEARCH_CONTENT = 225;
constexpr unsigned IDD_WIZARD_SCAN_TYPE = 245;  // the scan wizard's four pages
constexpr unsigned IDD_WIZARD_DRIVE = 246;
constexpr unsigned IDD_WIZARD_RANGE = 247;
constexpr unsigned IDD_WIZARD_FILE_TYPES = 248;

// Controls
constexpr unsigned IDC_CANCEL_BUTTON = 1000;   // progress dialog's "取消(&C)"
constexpr unsigned IDC_PROGRESS_BAR = 1001;
constexpr unsigned IDC_PROGRESS_TEXT = 1019;
constexpr unsigned IDC_NO_AUTO_SORT = 1022;     // options
constexpr unsigned IDC_HIDE_EMPTY_FOLDERS = 1023;
constexpr unsigned IDC_NO_CONDITION = 1024;
constexpr unsigned IDC_SAME_DRIVE_WARNING = 1025;
constexpr unsigned IDC_NO_RECYCLE_BIN = 1076;
constexpr unsigned IDC_EXACT_LENGTHS = 1077;     // carving to the true end of each file
constexpr unsigned IDC_LOG_ENABLE = 1033;       // logging dialog
constexpr unsigned IDC_LOG_DISABLE = 1034;
constexpr unsigned IDC_LOG_PATH = 1013;
constexpr unsigned IDC_SEARCH_FILE_NAME = 1013;   // search sheet, name page
constexpr unsigned IDC_SEARCH_LOOK_IN = 1014;
constexpr unsigned IDC_SEARCH_BROWSE = 1018;
constexpr unsigned IDC_SEARCH_SIZE = 1022;        // size and date page
constexpr unsigned IDC_SEARCH_AT_LEAST = 1050;    // the combo: "最少" or "最多"
constexpr unsigned IDC_SEARCH_KB = 1036;
constexpr unsigned IDC_SEARCH_DATE = 1023;
constexpr unsigned IDC_SEARCH_LAST_TWO_DAYS = 1038;
constexpr unsigned IDC_SEARCH_BETWEEN = 1039;
constexpr unsigned IDC_SEARCH_DATE_FROM = 1046;
constexpr unsigned IDC_SEARCH_DATE_TO = 1048;
constexpr unsigned IDC_SEARCH_TEXT_MODE = 1052;   // content page
constexpr unsigned IDC_SEARCH_TEXT = 1051;
constexpr unsigned IDC_SEARCH_MATCH_CASE = 1023;
constexpr unsigned IDC_SEARCH_HEX_MODE = 1053;
constexpr unsigned IDC_SEARCH_HEX = 1054;
constexpr unsigned IDC_BASIC_SCAN = 1027;     // scan wizard, scan type page
constexpr unsigned IDC_PHYSICAL_SCAN = 1059;
constexpr unsigned IDC_THOROUGH_SCAN = 1064;
constexpr unsigned IDC_SCAN_DESCRIPTION = 1073;
constexpr unsigned IDC_SHOW_WIZARD_AT_STARTUP = 1022;
constexpr unsigned IDC_WIZARD_DRIVE_LIST = 1063;  // drive page
constexpr unsigned IDC_PARTIAL_SCAN = 1022;       // range page
constexpr unsigned IDC_RANGE_START = 1069;
constexpr unsigned IDC_RANGE_END = 1070;
constexpr unsigned IDC_RANGE_SLIDER = 1068;
constexpr unsigned IDC_FILE_TYPE_TREE = 1065;     // file types page
constexpr unsigned IDOK_BUTTON = 1;
constexpr unsigned IDCANCEL_BUTTON = 2;
constexpr unsigned IDYES_BUTTON = 6;            // overwrite prompt
constexpr unsigned IDNO_BUTTON = 7;
constexpr unsigned IDC_YES_TO_ALL = 1011;
constexpr unsigned IDC_PROMPT_TEXT = 1012;
constexpr unsigned IDC_RECOVERY_LOG = 1029;     // error list
constexpr unsigned IDC_UNIT_LIST = 1003;        // viewer
constexpr unsigned IDC_DATA_CAPTION = 1028;
constexpr unsigned IDC_DATA_VIEW = 1005;
constexpr unsigned IDC_UNDELETE_SELECTION = 1026;
constexpr unsigned IDC_UNDELETE_ALL = 1010;
constexpr unsigned IDC_HELP_BUTTON = 57670;
constexpr unsigned IDC_PICTURE = 1055;          // picture preview

}  // namespace tarvosk::res
