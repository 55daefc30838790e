#include "platform/skin_engine.h"

#include <fstream>
#include <iterator>
#include <map>
#include <utility>

#include "platform/file_attributes.h"

namespace vellox::platform {
namespace {

// A skin library file is a few kilobytes; anything far larger is not one.
constexpr std::uintmax_t kMaxLibraryBytes = 1 << 20;

bool IsColour(std::string_view value) {
  if (value.size() != 7 || value[0] != '#') return false;
  for (char c : value.substr(1)) {
    const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!hex) return false;
  }
  return true;
}

bool IsRadius(std::string_view value) {
  if (value.empty() || value.size() > 2) return false;
  for (char c : value) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// The palette of a skin block, or an empty map when the block is not a skin.
// Values are checked so that a block can only ever change colours and radii.
std::map<std::string, std::string, std::less<>> ParseSkinBlock(std::string_view block) {
  std::map<std::string, std::string, std::less<>> palette;
  if (block.substr(0, kSkinBlockMagic.size()) != kSkinBlockMagic) return {};
  block.remove_prefix(kSkinBlockMagic.size());
  while (!block.empty()) {
    const size_t end = block.find('\n');
    const std::string_view line = block.substr(0, end);
    block = end == std::string_view::npos ? std::string_view() : block.substr(end + 1);
    if (line.empty()) continue;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return {};
    const std::string_view key = line.substr(0, eq);
    const std::string_view value = line.substr(eq + 1);
    const bool valid = key == "name" || (key == "radius" ? IsRadius(value) : IsColour(value));
    if (!valid) return {};
    palette.emplace(std::string(key), std::string(value));
  }
  return palette;
}

// Fills every @key@ of the template; empty when a key has no value.
std::string FillTemplate(std::string_view style_template,
                         const std::map<std::string, std::string, std::less<>>& palette) {
  std::string sheet;
  sheet.reserve(style_template.size() + 1024);
  while (!style_template.empty()) {
    const size_t open = style_template.find('@');
    sheet.append(style_template.substr(0, open));
    if (open == std::string_view::npos) break;
    const size_t close = style_template.find('@', open + 1);
    if (close == std::string_view::npos) return {};
    const auto value = palette.find(style_template.substr(open + 1, close - open - 1));
    if (value == palette.end() || value->first == "name") return {};
    sheet.append(value->second);
    style_template.remove_prefix(close + 1);
  }
  return sheet;
}

}  // namespace

SkinEngine::SkinEngine(std::filesystem::path directory) : directory_(std::move(directory)) {}

bool SkinEngine::LoadLibrary() {
  const std::filesystem::path path = directory_ / kSkinLibraryFileName;
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > kMaxLibraryBytes) return false;
  std::ifstream file(path, std::ios::binary);
  const std::string image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (!file.good() && !file.eof()) return false;
  if (image.size() <= kSkinLibraryMagic.size() ||
      std::string_view(image).substr(0, kSkinLibraryMagic.size()) != kSkinLibraryMagic) {
    return false;
  }
  style_template_ = image.substr(kSkinLibraryMagic.size());
  return true;
}

int SkinEngine::AttachRes(const unsigned char* data, int length, const char*, int, int, int) {
  if (!library_loaded() && !LoadLibrary()) return kSkinLibraryUnavailable;
  std::string sheet;
  if (data != nullptr && length > 0) {
    const std::string_view block(reinterpret_cast<const char*>(data), static_cast<size_t>(length));
    const auto palette = ParseSkinBlock(block);
    if (palette.empty()) return kSkinDataInvalid;
    sheet = FillTemplate(style_template_, palette);
    if (sheet.empty()) return kSkinDataInvalid;
  }
  last_style_sheet_ = sheet;
  if (applier_) applier_(sheet);
  return kSkinAttached;
}

SkinEngine& ProcessSkinEngine() {
  static SkinEngine engine(ProgramDirectory());
  return engine;
}

int SkinH_AttachRes(const unsigned char* data, int length, const char* password, int flag1,
                    int flag2, int flag3) {
  return ProcessSkinEngine().AttachRes(data, length, password, flag1, flag2, flag3);
}

bool EnsureSkinLibraryFile(const std::filesystem::path& directory) {
  const std::filesystem::path path = directory / kSkinLibraryFileName;
  if (FileExists(path)) return true;
  if (!WriteWholeFile(path, SkinLibraryImage())) return false;
  SetFileHidden(path);
  return true;
}

int ApplySkin(int number, SkinEngine& engine, const std::filesystem::path& directory) {
  // A library that cannot be written is not reported here: the attach call
  // below then finds no library and the program goes on unskinned.
  EnsureSkinLibraryFile(directory);
  const std::string_view skin = EmbeddedSkin(number);
  const std::string copy(skin);
  const auto* data = copy.empty() ? nullptr : reinterpret_cast<const unsigned char*>(copy.data());
  return engine.AttachRes(data, static_cast<int>(copy.size()), "", 0, 0, 0);
}

std::string StyleSheetForSkin(int number) {
  const std::string_view image = SkinLibraryImage();
  return FillTemplate(image.substr(kSkinLibraryMagic.size()), ParseSkinBlock(EmbeddedSkin(number)));
}

}  // namespace vellox::platform
