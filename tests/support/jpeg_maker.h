#pragma once
// Makes JPEG files for tests with libjpeg's compressor: plain, progressive
// with a given number of scans, or CMYK; tests then patch the bytes.
#include <cstddef>
#include <cstdio>  // jpeglib.h needs size_t and FILE first
#include <cstdint>
#include <cstdlib>
#include <jpeglib.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace testing_support {

struct JpegRecipe {
    int width = 64;
    int height = 48;
    // 0: sequential; otherwise a progressive file of exactly this many scans
    // (4 to 1894): DC, the AC bands of the three components, then
    // successive-approximation refinements one coefficient at a time.
    int scans = 0;
    bool cmyk = false;  // stored as Adobe (inverted) CMYK
    bool ycck = false;  // CMYK stored as YCCK
};

// The picture: red left half, blue right half.
inline std::string MakeJpeg(const JpegRecipe& recipe) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(recipe.width);
    info.image_height = static_cast<JDIMENSION>(recipe.height);
    const bool cmyk = recipe.cmyk || recipe.ycck;
    info.input_components = cmyk ? 4 : 3;
    info.in_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    if (recipe.ycck) jpeg_set_colorspace(&info, JCS_YCCK);

    std::vector<jpeg_scan_info> script;
    if (recipe.scans > 0) {
        auto add = [&](int comps, int c, int Ss, int Se, int Ah, int Al) {
            jpeg_scan_info s{};
            s.comps_in_scan = comps;
            for (int i = 0; i < comps; ++i) s.component_index[i] = comps == 1 ? c : i;
            s.Ss = Ss;
            s.Se = Se;
            s.Ah = Ah;
            s.Al = Al;
            script.push_back(s);
        };
        constexpr int kTopBit = 10;
        add(3, 0, 0, 0, 0, 0);  // DC of all components at once
        for (int c = 0; c < 3; ++c) add(1, c, 1, 63, 0, kTopBit);
        for (int bit = kTopBit; bit >= 1 && static_cast<int>(script.size()) < recipe.scans; --bit)
            for (int c = 0; c < 3 && static_cast<int>(script.size()) < recipe.scans; ++c)
                for (int k = 1; k <= 63 && static_cast<int>(script.size()) < recipe.scans; ++k)
                    add(1, c, k, k, bit, bit - 1);
        if (static_cast<int>(script.size()) != recipe.scans)
            throw std::invalid_argument("no progressive script of that many scans");
        info.scan_info = script.data();
        info.num_scans = static_cast<int>(script.size());
    }

    jpeg_start_compress(&info, TRUE);
    const int components = info.input_components;
    std::vector<unsigned char> row(static_cast<std::size_t>(recipe.width) * components);
    for (int x = 0; x < recipe.width; ++x) {
        const bool left = x < recipe.width / 2;
        unsigned char* p = &row[static_cast<std::size_t>(x) * components];
        if (cmyk) {
            // Inverted: 255 is no ink. Red is magenta and yellow; blue is
            // cyan and magenta; no black.
            p[0] = left ? 255 : 0;
            p[1] = 0;
            p[2] = left ? 0 : 255;
            p[3] = 255;
        } else {
            p[0] = left ? 255 : 0;
            p[1] = 0;
            p[2] = left ? 0 : 255;
        }
    }
    while (info.next_scanline < info.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&info, &r, 1);
    }
    jpeg_finish_compress(&info);
    std::string bytes(reinterpret_cast<char*>(buffer), size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

inline std::string MakeJpeg(int width, int height) {
    JpegRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    return MakeJpeg(recipe);
}

}  // namespace testing_support
