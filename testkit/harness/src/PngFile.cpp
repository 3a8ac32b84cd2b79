#include "harness/PngFile.h"

#include <zlib.h>

#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace e2e {
namespace {

std::uint32_t be32(const std::string& bytes, std::size_t at) {
    if (at + 4 > bytes.size()) throw std::runtime_error("PNG: truncated");
    return (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) << 24) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 8) |
           static_cast<unsigned char>(bytes[at + 3]);
}

int paeth(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

}  // namespace

Image decode_png(const std::string& bytes) {
    if (bytes.size() < 8 || bytes.compare(1, 3, "PNG") != 0) throw std::runtime_error("not a PNG file");
    Image image;
    int channels = 0;
    std::string data;
    for (std::size_t at = 8; at + 8 <= bytes.size();) {
        const std::uint32_t length = be32(bytes, at);
        const std::string type = bytes.substr(at + 4, 4);
        const std::string body = bytes.substr(at + 8, length);
        if (type == "IHDR") {
            image.width = static_cast<int>(be32(body, 0));
            image.height = static_cast<int>(be32(body, 4));
            if (body[8] != 8 || (body[9] != 2 && body[9] != 6) || body[12] != 0)
                throw std::runtime_error("PNG: only 8-bit RGB or RGBA, not interlaced");
            channels = body[9] == 2 ? 3 : 4;
        } else if (type == "IDAT") {
            data += body;
        } else if (type == "IEND") {
            break;
        }
        at += 12 + length;
    }
    if (channels == 0) throw std::runtime_error("PNG: no header");
    const std::size_t stride = static_cast<std::size_t>(image.width) * channels;
    std::vector<unsigned char> raw((stride + 1) * image.height);
    uLongf size = raw.size();
    if (uncompress(raw.data(), &size, reinterpret_cast<const Bytef*>(data.data()), data.size()) != Z_OK ||
        size != raw.size())
        throw std::runtime_error("PNG: bad image data");
    image.pixels.assign(static_cast<std::size_t>(image.width) * image.height, 0);
    std::vector<unsigned char> previous(stride, 0), row(stride);
    for (int y = 0; y < image.height; ++y) {
        const unsigned char filter = raw[y * (stride + 1)];
        const unsigned char* in = &raw[y * (stride + 1) + 1];
        for (std::size_t i = 0; i < stride; ++i) {
            const int a = i >= static_cast<std::size_t>(channels) ? row[i - channels] : 0;
            const int b = previous[i];
            const int c = i >= static_cast<std::size_t>(channels) ? previous[i - channels] : 0;
            const int predictor = filter == 0 ? 0 : filter == 1 ? a : filter == 2 ? b : filter == 3 ? (a + b) / 2
                                                                                                  : paeth(a, b, c);
            row[i] = static_cast<unsigned char>(in[i] + predictor);
        }
        for (int x = 0; x < image.width; ++x) {
            const unsigned char* p = &row[static_cast<std::size_t>(x) * channels];
            image.at(x, y) = (static_cast<std::uint32_t>(p[0]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) | p[2];
        }
        previous = row;
    }
    return image;
}

Image decode_bmp(const std::string& bytes) {
    const auto le32 = [&](std::size_t at) {
        if (at + 4 > bytes.size()) throw std::runtime_error("BMP: truncated");
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
        return v;
    };
    if (bytes.size() < 54 || bytes.compare(0, 2, "BM") != 0) throw std::runtime_error("not a BMP file");
    const std::uint32_t offset = le32(10);
    const auto height = static_cast<std::int32_t>(le32(22));
    const int bits = static_cast<int>(le32(28) & 0xFFFF);
    if ((bits != 24 && bits != 32) || (le32(30) != 0 && le32(30) != 3)) throw std::runtime_error("BMP: not plain RGB");
    Image image;
    image.width = static_cast<int>(le32(18));
    image.height = height < 0 ? -height : height;
    image.pixels.assign(static_cast<std::size_t>(image.width) * image.height, 0);
    const std::size_t stride = (static_cast<std::size_t>(image.width) * (bits / 8) + 3) / 4 * 4;
    if (offset + stride * image.height > bytes.size()) throw std::runtime_error("BMP: truncated pixels");
    for (int y = 0; y < image.height; ++y) {
        const std::size_t row = offset + stride * (height < 0 ? y : image.height - 1 - y);
        for (int x = 0; x < image.width; ++x) {
            const auto* p = reinterpret_cast<const unsigned char*>(&bytes[row + static_cast<std::size_t>(x) * (bits / 8)]);
            image.at(x, y) = (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) | p[0];
        }
    }
    return image;
}

}  // namespace e2e
