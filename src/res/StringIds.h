// Ids of the program's string table. Every user-visible text that comes from the string table is
// looked up through one of these names (loadString, LoadStringW in res/StringTable.h).
#pragma once

namespace tarvosk::res {

// Search
constexpr unsigned IDS_INVALID_PATH = 3;   // the look-in folder cannot be resolved
constexpr unsigned IDS_INVALID_DRIVE = 4;  // the drive to search was never scanned

// Scan progress
constexpr unsigned IDS_LOOKING_FOR_DELETED_FILES = 5;

// Cluster and data viewer
constexpr unsigned IDS_VIEWER_FILE_COMPRESSED = 6;
constexpr unsigned IDS_FILE_DAMAGED = 7;
constexpr unsigned IDS_VIEWER_SHOWING_CLUSTER = 8;  // %d: unit number

// Recovery job: target folder on the source drive
constexpr unsigned IDS_SAME_DRIVE_WARNING = 9;
constexpr unsigned IDS_CHOOSE_DIFFERENT_FOLDER = 10;

// Opening a drive for a scan
constexpr unsigned IDS_OPEN_DRIVE_NEEDS_ADMIN = 16;  // %s: drive path
constexpr unsigned IDS_PARTITION_TYPE_UNRECOGNIZED = 17;

// Recovery engine
constexpr unsigned IDS_CREATE_DIRECTORY_FAILED = 18;

// Picture preview
constexpr unsigned IDS_PREVIEW_TOO_LARGE = 19;

// Scanning a physical drive or a whole disk
constexpr unsigned IDS_CONFIRM_LONG_DISK_SCAN = 22;

// Scan wizard: physical drive check
constexpr unsigned IDS_CANNOT_OPEN_DEVICE = 23;

// Recovery chances
constexpr unsigned IDS_CHANCE_NOT_RECOVERABLE = 129;
constexpr unsigned IDS_CHANCE_POOR = 130;
constexpr unsigned IDS_CHANCE_PROBABLY_GOOD = 131;

// Type column of the file list and the search results
constexpr unsigned IDS_TYPE_DELETED_FILE = 132;
constexpr unsigned IDS_TYPE_DELETED_FOLDER = 133;
constexpr unsigned IDS_TYPE_FOLDER = 134;

// Cluster and data viewer
constexpr unsigned IDS_VIEWER_NO_DATA = 135;

// Recovery chances
constexpr unsigned IDS_CHANCE_UNKNOWN = 136;

// View as binary
constexpr unsigned IDS_FILE_EMPTY = 137;

// Recovery engine and picture preview
constexpr unsigned IDS_MFT_RECORD_READ_ERROR = 139;

// Recovery job: folder browser
constexpr unsigned IDS_FOLDER_PICKER_FAILED = 140;
constexpr unsigned IDS_INVALID_FOLDER_CHOSEN = 143;

// Recovery engine
constexpr unsigned IDS_CONFIRM_OVERWRITE = 144;  // %s: file name
constexpr unsigned IDS_WRITE_ERROR = 145;
constexpr unsigned IDS_INTEGRITY_CHECK_FAILED = 146;

// Recovery chances
constexpr unsigned IDS_CHANCE_EXCELLENT = 147;

// Recovery engine
constexpr unsigned IDS_CLUSTER_READ_ERROR = 148;  // %d: cluster number
constexpr unsigned IDS_FILE_NOT_RECOVERABLE = 160;

// Picture preview
constexpr unsigned IDS_FILE_DATA_READ_ERROR = 161;
constexpr unsigned IDS_PREVIEW_COMPRESSED = 162;

// Recovery job: folder browser title
constexpr unsigned IDS_CHOOSE_RESTORE_FOLDER = 165;

// Command prompts ("status text\ntool tip"); the id is the command's id
constexpr unsigned IDS_CMD_BACK = 193;
constexpr unsigned IDS_CMD_VIEW_AS_PICTURE = 32933;

// Opening a drive (scans, scan wizard)
constexpr unsigned IDS_CANNOT_OPEN_DRIVE = 221;  // %s: drive path

// Main window title
constexpr unsigned IDS_APP_TITLE = 57344;

}  // namespace tarvosk::res
