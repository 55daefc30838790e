#pragma once
// The skin engine: our own stand-in for a window-skinning library. The skin
// library file (SkinLibraryImage, written beside the program as "SkinH_EL.dll")
// holds the style-sheet template; a skin (one of EmbeddedSkins, an in-memory
// block) holds a palette. Attaching a skin loads the library file by name on
// first use, fills the template with the palette and hands the resulting style
// sheet to the applier that the window layer registered, which restyles every
// window of the process. No Qt here: the applier is the only way out.
//
// Use on the window's thread only.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace vellox::platform {

inline constexpr char kSkinLibraryFileName[] = "SkinH_EL.dll";
inline constexpr int kEmbeddedSkinCount = 33;
inline constexpr int kDefaultSkinNumber = 13;
// The first line of a skin library file and of a skin block.
inline constexpr std::string_view kSkinLibraryMagic = "VelloxSkinLibrary 1\n";
inline constexpr std::string_view kSkinBlockMagic = "VelloxSkin 1\n";

// The complete image of the skin library file, as written out.
std::string_view SkinLibraryImage();
// Skin `number` (1..33) as a data block; empty outside that range.
std::string_view EmbeddedSkin(int number);

// Receives the finished style sheet; an empty sheet removes the skin.
using SkinApplier = std::function<void(const std::string& style_sheet)>;

// Results of AttachRes.
inline constexpr int kSkinAttached = 0;
inline constexpr int kSkinLibraryUnavailable = 1;  // missing or not a skin library
inline constexpr int kSkinDataInvalid = 2;

class SkinEngine {
 public:
  // The library is looked for as `directory` / "SkinH_EL.dll".
  explicit SkinEngine(std::filesystem::path directory);

  void SetApplier(SkinApplier applier) { applier_ = std::move(applier); }

  // Applies the skin in data[0..length) to every window; no data (null or
  // length 0) removes the skin. `password` and the three flags are accepted for
  // the call's shape and not used. The applier is only called on success.
  int AttachRes(const unsigned char* data, int length, const char* password, int flag1, int flag2,
                int flag3);

  bool library_loaded() const { return !style_template_.empty(); }
  const std::string& last_style_sheet() const { return last_style_sheet_; }

 private:
  bool LoadLibrary();

  std::filesystem::path directory_;
  std::string style_template_;
  SkinApplier applier_;
  std::string last_style_sheet_;
};

// The process's engine, looking for the library in ProgramDirectory().
SkinEngine& ProcessSkinEngine();

// The attach call in its usual shape, on the process's engine.
int SkinH_AttachRes(const unsigned char* data, int length, const char* password, int flag1,
                    int flag2, int flag3);

// Makes sure `directory` / "SkinH_EL.dll" exists: an existing file is left
// untouched whatever it holds; a missing one is written from SkinLibraryImage()
// and marked hidden. False when it is missing and cannot be written.
bool EnsureSkinLibraryFile(const std::filesystem::path& directory);

// The whole skin step of start-up for skin `number`: the library file, then the
// attach call with a copy of the skin's data (no data outside 1..33). Returns
// AttachRes's result; a missing library only means the program runs unskinned.
int ApplySkin(int number, SkinEngine& engine, const std::filesystem::path& directory);

// The style sheet skin `number` gives with the built-in template (for tests and
// tools; empty outside 1..33).
std::string StyleSheetForSkin(int number);

}  // namespace vellox::platform
