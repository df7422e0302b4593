#include "ui/fonts.hpp"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include <fontconfig/fontconfig.h>

#include <mutex>

namespace qm {

namespace {

// Families asked of fontconfig, nearest first; the generic name catches systems without them.
constexpr const char* kFamilies[2] = {"DejaVu Sans,sans-serif", "DejaVu Sans Mono,monospace"};

// The faces, opened on first use and kept for the program's run. face[kind][bold].
struct Fonts {
    std::mutex lock;
    bool opened = false;
    FT_Library freetype = nullptr;
    FT_Face face[2][2] = {{nullptr, nullptr}, {nullptr, nullptr}};
    bool syntheticBold[2][2] = {{false, false}, {false, false}};
};
Fonts fonts;

FT_Face openFace(FcConfig* config, const char* families, bool bold, bool& synthetic) {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(families));
    if (pattern == nullptr) return nullptr;
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) return nullptr;
    FcChar8* file = nullptr;
    int index = 0;
    FT_Face face = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        if (FT_New_Face(fonts.freetype, reinterpret_cast<const char*>(file), index, &face) != 0) face = nullptr;
    }
    FcPatternDestroy(match);
    if (face != nullptr && !FT_IS_SCALABLE(face)) {
        FT_Done_Face(face);
        face = nullptr;
    }
    synthetic = face != nullptr && bold && (face->style_flags & FT_STYLE_FLAG_BOLD) == 0;
    return face;
}

// Opens all four faces once; missing ones stay null.
void openFonts() {
    if (fonts.opened) return;
    fonts.opened = true;
    if (FT_Init_FreeType(&fonts.freetype) != 0) {
        fonts.freetype = nullptr;
        return;
    }
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (config == nullptr) return;
    for (int32_t kind = 0; kind < 2; ++kind)
        for (int32_t bold = 0; bold < 2; ++bold)
            fonts.face[kind][bold] = openFace(config, kFamilies[kind], bold != 0, fonts.syntheticBold[kind][bold]);
    FcConfigDestroy(config);
}

void blendGlyph(const FT_Bitmap& bitmap, int32_t left, int32_t top, Rgb colour) {
    for (uint32_t j = 0; j < bitmap.rows; ++j) {
        const int32_t y = top + static_cast<int32_t>(j);
        if (y < 0 || y >= kViewHeight) continue;
        const uint8_t* row = bitmap.buffer + static_cast<int64_t>(j) * bitmap.pitch;
        for (uint32_t i = 0; i < bitmap.width; ++i) {
            const int32_t x = left + static_cast<int32_t>(i);
            const uint32_t a = row[i];
            if (x < 0 || x >= kViewWidth || a == 0) continue;
            uint8_t* p = view.pixels + (y * kViewWidth + x) * 3;
            p[0] = static_cast<uint8_t>((colour.red * a + p[0] * (255 - a) + 127) / 255);
            p[1] = static_cast<uint8_t>((colour.green * a + p[1] * (255 - a) + 127) / 255);
            p[2] = static_cast<uint8_t>((colour.blue * a + p[2] * (255 - a) + 127) / 255);
        }
    }
}

}  // namespace

bool drawViewText(int32_t x, int32_t y, const char* text, int32_t height, FontKind kind, bool bold,
                  Rgb colour) {
    std::lock_guard<std::mutex> guard(fonts.lock);
    openFonts();
    FT_Face face = fonts.face[kind][bold ? 1 : 0];
    if (face == nullptr || height <= 0) return false;
    const bool synthetic = fonts.syntheticBold[kind][bold ? 1 : 0];
    // Scale the em so that ascent plus descent fill the requested line height.
    const int32_t span = face->ascender - face->descender;
    const int32_t em = span > 0 ? (height * face->units_per_EM + span / 2) / span : height;
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(em > 0 ? em : 1)) != 0) return false;
    const int32_t baseline = y + static_cast<int32_t>((face->size->metrics.ascender + 32) >> 6);
    FT_Pos pen = static_cast<FT_Pos>(x) * 64;
    FT_UInt previous = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
        const FT_UInt glyph = FT_Get_Char_Index(face, *p);
        if (previous != 0 && glyph != 0 && FT_HAS_KERNING(face)) {
            FT_Vector kern;
            if (FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &kern) == 0) pen += kern.x;
        }
        previous = glyph;
        if (FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT) != 0) continue;
        if (synthetic) FT_GlyphSlot_Embolden(face->glyph);
        if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) continue;
        const FT_GlyphSlot slot = face->glyph;
        blendGlyph(slot->bitmap, static_cast<int32_t>((pen + 32) >> 6) + slot->bitmap_left,
                   baseline - slot->bitmap_top, colour);
        pen += slot->advance.x;
    }
    return true;
}

}  // namespace qm
