// Search benchmark: a content search through every deleted file of the 50,000-file FAT32
// volume (bench/make-fat32-bench-volume.sh), for a text that none of them holds, so that every
// byte of every file is read and searched; bytes per second count the files' data. The scan is
// not timed and the page cache is warm after the first iteration.
#include <benchmark/benchmark.h>

#include "BenchVolumes.h"
#include "search/SearchEngine.h"

using namespace tarvosk;
using namespace tarvosk::bench;

namespace {

void BM_ContentSearchOfEveryDeletedFile(benchmark::State& state, bool matchCase) {
  const std::string image = kBenchDir + "/fat32-50k.img";
  makeIfMissing(image, "make-fat32-bench-volume.sh", image);
  ScannedVolume volume(image);
  DriveFileList& list = volume.list();
  SilentProgress progress;  // the search pumps once per cluster: a recording window would grow
  SearchCriteria criteria;
  criteria.contentText = u"text that no pseudo-random file holds";
  criteria.matchCase = matchCase;
  std::size_t found = 0;
  RunSearch(list, ROOT_ENTRY_ID, u"*", criteria, progress);  // warms the page cache
  for (auto _ : state) found += RunSearch(list, ROOT_ENTRY_ID, u"*", criteria, progress)->Lookup(ROOT_ENTRY_ID).children.size();
  if (found != 0) state.SkipWithError("a file holds the text after all");
  const FileEntry& root = list.Lookup(ROOT_ENTRY_ID);
  state.SetBytesProcessed(static_cast<std::int64_t>(deletedBytes(list, root) * state.iterations()));
  state.SetItemsProcessed(static_cast<std::int64_t>(deletedFiles(list, root) * state.iterations()));
}
BENCHMARK_CAPTURE(BM_ContentSearchOfEveryDeletedFile, any_case, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ContentSearchOfEveryDeletedFile, match_case, true)->Unit(benchmark::kMillisecond);

}  // namespace
