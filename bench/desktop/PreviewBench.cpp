// Preview and viewer benchmarks over bench/make-preview-bench-volume.sh's FAT32 volume, page
// cache warm, offscreen:
// - the preview of a deleted JPEG of about 9 MB: read from the image, decoded and scaled on white
//   to a 500 x 400 picture control;
// - the cluster viewer's unit list of a deleted file of 100,000 clusters, alone and as the viewer
//   window that shows it;
// - the main window with the preview open, the selection moved through 50 deleted JPEGs of
//   1600 x 1200 (each step: the selection change, the read, the decode and the drawing); the
//   counter slowest_ms is the slowest step.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListView>
#include <algorithm>
#include <chrono>
#include <stdexcept>

#include "BenchVolumes.h"
#include "desktop/FileView.h"
#include "desktop/MainFrame.h"
#include "desktop/PictureImage.h"
#include "desktop/PreviewDlg.h"
#include "desktop/ViewerDlg.h"
#include "platform/DriveNamespace.h"
#include "platform/VolumeServices.h"
#include "res/CommandIds.h"
#include "settings/Settings.h"
#include "support/FakeUi.h"
#include "viewers/PictureBytes.h"
#include "volfs/FileSystems.h"

using namespace tarvosk;
using namespace tarvosk::bench;

namespace {

QApplication& application() {
  static int argc = 1;
  static char name[] = "tarvosk_bench";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *app;
}

std::string previewVolume() { return benchVolume("preview-fat32.img", "make-preview-bench-volume.sh"); }

// The deleted file of the root whose name ends so.
FileEntry& rootFile(DriveFileList& list, std::u16string_view ending) {
  for (std::uint64_t id : list.Lookup(ROOT_ENTRY_ID).children) {
    FileEntry& e = list.Lookup(id);
    if (!e.isFolder && e.name.view().ends_with(ending)) return e;
  }
  throw std::runtime_error("the bench volume has no file ending so");
}

void BM_PreviewLargeJpeg(benchmark::State& state) {
  application();
  ScannedVolume volume(previewVolume());
  FileEntry& large = rootFile(volume.list(), u"ARGE.JPG");
  const QSize control(500, 400);
  for (auto _ : state) {
    std::vector<std::uint8_t> bytes;
    if (readPictureBytes(large, bytes) != PictureRead::Read) throw std::runtime_error("the large JPEG cannot be read");
    const QImage picture = decodePictureImage(PictureFormat::Jpeg, bytes, control);
    if (picture.isNull()) throw std::runtime_error("the large JPEG does not decode");
    benchmark::DoNotOptimize(fitOnWhite(picture, control));
  }
  state.counters["file_MB"] = static_cast<double>(large.size) / 1e6;
}
BENCHMARK(BM_PreviewLargeJpeg)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ViewerUnitList(benchmark::State& state) {
  ScannedVolume volume(previewVolume());
  FileEntry& units = rootFile(volume.list(), u"NITS.BIN");
  for (auto _ : state) benchmark::DoNotOptimize(listFileUnits(units).units.size());
  state.counters["units"] = static_cast<double>(listFileUnits(units).units.size());
}
BENCHMARK(BM_ViewerUnitList)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ViewerWindow(benchmark::State& state) {
  application();
  ScannedVolume volume(previewVolume());
  FileEntry& units = rootFile(volume.list(), u"NITS.BIN");
  for (auto _ : state) {
    CViewerDlg viewer(units, nullptr);
    viewer.show();
    QApplication::processEvents();
    benchmark::DoNotOptimize(viewer.unitList()->model()->rowCount());
  }
}
BENCHMARK(BM_ViewerWindow)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_PreviewFollowsSelection(benchmark::State& state) {
  application();
  detachAll();
  unregisterVolumeProviders();
  registerFileSystemProviders();
  if (!attachImage(previewVolume())) throw std::runtime_error("cannot attach the bench volume");
  settings() = Settings();
  settings().ShowWizardOnStartUp = false;
  test::FakeUi user;
  double slowest = 0;
  {
    CMainFrame frame;
    frame.resize(900, 600);
    frame.show();
    if (!frame.openPath(QStringLiteral("C:\\Pictures"))) throw std::runtime_error("no folder Pictures");
    FileListModel& model = frame.fileView()->fileModel();
    const int rows = model.rowCount();
    if (rows != 50) throw std::runtime_error("the folder Pictures does not hold 50 pictures");
    frame.runCommand(res::ID_VIEW_AS_PICTURE);
    if (!frame.previewIsOpen()) throw std::runtime_error("the preview did not open");
    int row = 0;
    for (auto _ : state) {
      row = (row + 1) % rows;
      const auto start = std::chrono::steady_clock::now();
      frame.fileView()->selectEntry(model.entryAt(row)->id);
      frame.preview()->pictureControl()->repaint();
      const std::chrono::duration<double, std::milli> step = std::chrono::steady_clock::now() - start;
      slowest = std::max(slowest, step.count());
      if (frame.preview()->picture().isNull()) throw std::runtime_error("a picture did not decode");
    }
  }
  state.counters["slowest_ms"] = slowest;
  detachAll();
}
BENCHMARK(BM_PreviewFollowsSelection)->Unit(benchmark::kMillisecond)->Iterations(50);

}  // namespace
