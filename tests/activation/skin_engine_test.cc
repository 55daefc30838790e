#include "platform/skin_engine.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace vellox::platform {
namespace {

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A fresh program directory per test, and an engine that records what it applies.
class SkinEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "vellox-skin-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    directory_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(directory_); }

  SkinEngine NewEngine(const std::filesystem::path& directory) {
    SkinEngine engine(directory);
    engine.SetApplier([this](const std::string& sheet) { applied_.push_back(sheet); });
    return engine;
  }
  std::filesystem::path library() const { return directory_ / kSkinLibraryFileName; }

  std::filesystem::path directory_;
  std::vector<std::string> applied_;
};

TEST(EmbeddedSkinsTest, ThirtyThreeDistinctSkinsNumberedFromOne) {
  std::set<std::string> sheets;
  for (int number = 1; number <= kEmbeddedSkinCount; ++number) {
    SCOPED_TRACE(number);
    const std::string sheet = StyleSheetForSkin(number);
    ASSERT_FALSE(sheet.empty());
    EXPECT_EQ(sheet.find('@'), std::string::npos) << "every placeholder filled";
    sheets.insert(sheet);
  }
  EXPECT_EQ(sheets.size(), static_cast<size_t>(kEmbeddedSkinCount));
  EXPECT_TRUE(EmbeddedSkin(0).empty());
  EXPECT_TRUE(EmbeddedSkin(kEmbeddedSkinCount + 1).empty());
}

TEST_F(SkinEngineTest, FirstStartWritesTheLibraryAndAppliesTheSkin) {
  SkinEngine engine = NewEngine(directory_);
  EXPECT_EQ(ApplySkin(kDefaultSkinNumber, engine, directory_), kSkinAttached);
  EXPECT_EQ(ReadFile(library()), std::string(SkinLibraryImage()));
  ASSERT_EQ(applied_.size(), 1u);
  EXPECT_EQ(applied_[0], StyleSheetForSkin(kDefaultSkinNumber));
}

TEST_F(SkinEngineTest, LaterStartLeavesAnExistingLibraryAloneAndLoadsIt) {
  // Another library version already sits beside the program: it is used as it is.
  const std::string other = std::string(kSkinLibraryMagic) + "QWidget { color: @text@; }\n";
  WriteFile(library(), other);
  SkinEngine engine = NewEngine(directory_);
  EXPECT_EQ(ApplySkin(kDefaultSkinNumber, engine, directory_), kSkinAttached);
  EXPECT_EQ(ReadFile(library()), other);
  ASSERT_EQ(applied_.size(), 1u);
  EXPECT_EQ(applied_[0], "QWidget { color: #1b2a3a; }\n");
}

TEST_F(SkinEngineTest, NoUsableLibraryMeansNoSkinAndNoExit) {
  struct Case {
    bool existing_file;
    std::string content;
    bool unwritable_directory;
    const char* why;
  };
  const Case cases[] = {
      {true, "MZ not a skin library", false, "a foreign file is left alone and not loaded"},
      {true, "", false, "an empty file is left alone and not loaded"},
      {false, "", true, "the program directory cannot be written"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    applied_.clear();
    std::filesystem::remove_all(library());
    if (c.existing_file) WriteFile(library(), c.content);
    const std::filesystem::path directory =
        c.unwritable_directory ? directory_ / "no-such-directory" : directory_;
    SkinEngine engine = NewEngine(directory);
    EXPECT_EQ(ApplySkin(kDefaultSkinNumber, engine, directory), kSkinLibraryUnavailable);
    EXPECT_TRUE(applied_.empty());
    EXPECT_FALSE(engine.library_loaded());
    if (c.existing_file) {
      EXPECT_EQ(ReadFile(library()), c.content);
    }
  }
}

TEST_F(SkinEngineTest, AttachTakesTheSkinAsABlockWithItsLength) {
  ASSERT_TRUE(EnsureSkinLibraryFile(directory_));
  struct Case {
    std::string block;
    bool null_data;
    int expected;
    bool applied;
    const char* why;
  };
  const std::string sky(EmbeddedSkin(13));
  const Case cases[] = {
      {sky, false, kSkinAttached, true, "an embedded skin"},
      {"", true, kSkinAttached, true, "no data removes the skin"},
      {"VelloxSkin 1\nwindow=red;} QWidget { background: url(/etc/passwd)\n", false,
       kSkinDataInvalid, false, "only colours and radii can be set"},
      {"not a skin", false, kSkinDataInvalid, false, "a block without the skin header"},
      {sky.substr(0, sky.find("border=")), false, kSkinDataInvalid, false,
       "a palette without every colour the template uses"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    applied_.clear();
    SkinEngine engine = NewEngine(directory_);
    const auto* data = c.null_data ? nullptr : reinterpret_cast<const unsigned char*>(c.block.data());
    EXPECT_EQ(engine.AttachRes(data, static_cast<int>(c.block.size()), "", 0, 0, 0), c.expected);
    if (!c.applied) {
      EXPECT_TRUE(applied_.empty());
      continue;
    }
    ASSERT_EQ(applied_.size(), 1u);
    EXPECT_EQ(applied_[0], c.null_data ? "" : StyleSheetForSkin(13));
  }
}

}  // namespace
}  // namespace vellox::platform
