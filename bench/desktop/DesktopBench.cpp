// tarvosk_desktop_bench NTFS_IMAGE DEMO_IMAGE PROGRAM: times the desktop program offscreen.
//   - a folder of 100,000 deleted files shown in the file list view (the rows counted and the
//     first screen of cells formatted and painted), and its sort by each column, for FAT entries
//     (a list built in memory: a FAT folder holds at most 65,536 entries, and FAT rows are read
//     from the entries alone) and for the NTFS volume's folder "big" (whose rows read MFT records);
//   - the program's start-up to a shown main window with the demo disk attached (the whole run
//     of PROGRAM --screenshot, process start to exit).
// Each figure is the best of three runs: the UI thread's CPU time for the view, the wall time of
// the whole run for the start-up. The last line sums up.
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <ctime>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

#include "BenchVolumes.h"
#include "desktop/FileView.h"
#include "desktop/MainFrame.h"
#include "device/DeviceMode.h"
#include "platform/DriveNamespace.h"
#include "platform/UiPorts.h"
#include "scan/FileList.h"
#include "settings/Settings.h"
#include "volfs/FileSystems.h"

namespace {

using namespace tarvosk;


// The time the UI thread spends, in milliseconds: on a machine shared with other work, the
// thread's own CPU time is what the user waits for once the machine is idle.
double threadMilliseconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double bestOfThree(const std::function<void()>& prepare, const std::function<void(int)>& timed) {
  double best = 1e18;
  for (int run = 0; run < 3; ++run) {
    prepare();
    const double start = threadMilliseconds();
    timed(run);
    best = std::min(best, threadMilliseconds() - start);
  }
  return best;
}

// 100,000 deleted FAT files of random names, sizes, dates and chances in the root folder.
std::unique_ptr<DriveFileList> fatFolder(std::size_t files) {
  auto list = std::make_unique<DriveFileList>();
  FileEntry& root = list->Lookup(ROOT_ENTRY_ID);
  root.id = ROOT_ENTRY_ID;
  root.isFolder = true;
  root.kind = ENTRY_KIND_FAT;
  std::mt19937 random(7);
  const char16_t* extensions[] = {u".jpg", u".doc", u".txt", u".pdf", u".xls", u""};
  for (std::size_t i = 0; i < files; ++i) {
    const std::uint64_t id = FIRST_SCAN_ENTRY_ID + i;
    FileEntry& e = list->Lookup(id);
    e.id = id;
    e.parentId = ROOT_ENTRY_ID;
    e.kind = ENTRY_KIND_FAT;
    e.deleted = true;
    e.name = u"file " + std::u16string(1, static_cast<char16_t>(u'a' + random() % 26)) +
             std::u16string(1, static_cast<char16_t>(u'a' + random() % 26)) + u" " + [&] {
               std::u16string digits;
               for (char c : std::to_string(random() % 1000000)) digits += static_cast<char16_t>(c);
               return digits;
             }() + extensions[random() % 6];
    e.size = random() % 5000000;
    e.dosDate = static_cast<std::uint16_t>(((20 + random() % 25) << 9) | ((1 + random() % 12) << 5) | (1 + random() % 28));
    e.dosTime = static_cast<std::uint16_t>(((random() % 24) << 11) | ((random() % 60) << 5));
    e.recoveryChance = static_cast<std::uint8_t>(1 + random() % 3);
    list->Lookup(ROOT_ENTRY_ID).children.push_back(id);
  }
  return list;
}

struct FolderFigures {
  double show = 0;
  double sorts[kSortColumnCount] = {};
};

FolderFigures measure(CMainFrame& frame, DriveFileList& list, FileEntry& folder) {
  CFileView& view = *frame.fileView();
  // Each sort starts from the same shuffled order, unlike the order of the MFT records: a
  // folder sorted by name and then by date reads its records out of order.
  std::vector<std::uint64_t> original(folder.children.begin(), folder.children.end());
  std::shuffle(original.begin(), original.end(), std::mt19937(11));
  const bool ntfs = list.Find(ROOT_ENTRY_ID) && list.Find(ROOT_ENTRY_ID)->kind == ENTRY_KIND_NTFS;
  auto restore = [&] {
    view.showFolder(nullptr, nullptr);
    std::copy(original.begin(), original.end(), folder.children.begin());
    // NTFS files are rated when first shown or sorted: every run rates them anew.
    if (ntfs)
      for (std::uint64_t id : original)
        if (FileEntry* e = list.Find(id)) e->recoveryChance = CHANCE_NOT_RATED;
  };
  FolderFigures f;
  f.show = bestOfThree(restore, [&](int) {
    view.showFolder(&list, &folder);
    view.grab();  // the first screen of cells formatted and painted
  });
  for (int column = 0; column < kSortColumnCount; ++column) {
    f.sorts[column] = bestOfThree([&] {
      restore();
      view.showFolder(&list, &folder);
    }, [&](int run) {
      // The view remembers how a folder is sorted and never sorts it the same way twice: each
      // run sorts the other way round from the one before, from the folder's original order.
      view.fileModel().sort(column, run % 2 ? Qt::DescendingOrder : Qt::AscendingOrder);
    });
  }
  restore();
  return f;
}

void print(const char* what, const FolderFigures& f) {
  static const char* kColumns[kSortColumnCount] = {"name", "size", "type", "modified", "condition"};
  std::printf("%s: show %.1f ms", what, f.show);
  for (int c = 0; c < kSortColumnCount; ++c) std::printf("; sort by %s %.1f ms", kColumns[c], f.sorts[c]);
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: tarvosk_desktop_bench NTFS_IMAGE DEMO_IMAGE PROGRAM\n");
    return 2;
  }
  QTemporaryDir home;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
  qputenv("XDG_STATE_HOME", (home.path() + "/state").toUtf8());
  QApplication app(argc, argv);
  RAW_Initialize();
  registerFileSystemProviders();
  settings() = Settings();
  settings().ShowWizardOnStartUp = false;
  if (!attachImage(argv[1])) {
    std::fprintf(stderr, "cannot attach %s\n", argv[1]);
    return 1;
  }
  CMainFrame frame;
  frame.resize(900, 600);
  frame.show();

  auto fat = fatFolder(100000);
  const FolderFigures fatFigures = measure(frame, *fat, fat->Lookup(ROOT_ENTRY_ID));

  bench::SilentProgress quiet;
  CFileList& lists = frame.fileList();
  if (!lists.BuildFileList(u"C:", quiet, false, 0, 0)) return 1;
  DriveFileList& ntfs = *lists.GetDriveList(u"C:");
  FileEntry* big = nullptr;
  for (std::uint64_t id : ntfs.Lookup(ROOT_ENTRY_ID).children)
    if (FileEntry* e = ntfs.Find(id); e && e->name == std::u16string_view(u"big")) big = e;
  if (!big) {
    std::fprintf(stderr, "the NTFS volume has no folder big\n");
    return 1;
  }
  const FolderFigures ntfsFigures = measure(frame, ntfs, *big);

  double startup = 1e18;
  for (int run = 0; run < 3; ++run) {
    QProcess program;
    QElapsedTimer timer;
    timer.start();
    program.start(QString::fromLocal8Bit(argv[3]),
                  {"--no-devices", "--image", QString::fromLocal8Bit(argv[2]), "--screenshot", home.filePath("startup.png")});
    if (!program.waitForFinished(60000) || program.exitCode() != 0) return 1;
    startup = std::min(startup, static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }

  std::printf("FAT folder of %zu deleted files\n", fat->Lookup(ROOT_ENTRY_ID).children.size());
  print("FAT", fatFigures);
  std::printf("NTFS folder of %zu deleted files\n", big->children.size());
  print("NTFS", ntfsFigures);
  std::printf("start-up with the demo disk attached (whole run): %.1f ms\n", startup);
  double slowest = 0;
  for (const FolderFigures* f : {&fatFigures, &ntfsFigures})
    for (double s : f->sorts) slowest = std::max(slowest, s);
  std::printf("show 100000 rows: %.0f ms; slowest sort: %.0f ms; start-up: %.0f ms\n",
              std::max(fatFigures.show, ntfsFigures.show), slowest, startup);
  return 0;
}
