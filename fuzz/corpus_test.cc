// Replays every kept corpus file through its fuzz target, so the targets and
// the corpora stay in step and the sanitizer build covers them too.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "fuzz_targets.h"
#include "test_files.h"

namespace qm::fuzz {
namespace {

using testsupport::ReadFileBytes;

namespace fs = std::filesystem;

const fs::path kCorpusRoot = fs::path(QUILLMARK_SOURCE_DIR) / "fuzz" / "corpus";

TEST(FuzzCorpus, HasOneFolderPerTarget) {
  if (!fs::is_directory(kCorpusRoot)) GTEST_SKIP() << "no corpus at " << kCorpusRoot;
  std::set<std::string> folders;
  for (const fs::directory_entry& entry : fs::directory_iterator(kCorpusRoot)) {
    if (entry.is_directory()) folders.insert(entry.path().filename().string());
  }
  std::set<std::string> targets;
  for (const FuzzTarget& target : AllTargets()) targets.insert(target.name);
  EXPECT_EQ(folders, targets);
}

TEST(FuzzCorpus, EveryTargetRunsItsCorpusAndTheEdgeInputs) {
  if (!fs::is_directory(kCorpusRoot)) GTEST_SKIP() << "no corpus at " << kCorpusRoot;
  const std::string edges[] = {"", std::string(1, '\0'), std::string(5000, '\xff'),
                               std::string(300, '\n'), std::string(10000, 'A')};
  for (const FuzzTarget& target : AllTargets()) {
    SCOPED_TRACE(target.name);
    std::vector<fs::path> files;
    fs::path folder = kCorpusRoot / target.name;
    if (fs::is_directory(folder)) {
      for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
      }
    }
    EXPECT_FALSE(files.empty()) << "no seed for " << target.name;
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
      std::string bytes = ReadFileBytes(file);
      target.run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    for (const std::string& bytes : edges) {
      target.run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
  }
}

}  // namespace
}  // namespace qm::fuzz
