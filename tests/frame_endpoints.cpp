// The pixels where every segment of every frame of whole runs begins and ends, on a plot of the
// window's size at ratio 1: written to a file by one build and compared with it by another, to
// tell whether two builds (on Linux and on Windows, with different maths libraries) put the
// traces on the same pixels.
//   frame_endpoints write FILE | frame_endpoints compare FILE
#include "animation.h"
#include "palette.h"
#include "raster.h"
#include "recording_surface.h"
#include "sweep.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string_view>
#include <vector>

namespace {

// The wave numbers of the classroom (14, the one the window starts with) and far from it.
constexpr std::array kWaveNumbers{1.0, 14.0, 100.0, 1000.0};
// The inside of the plot's frame, at ratio 1.
constexpr int kWidth = 631;
constexpr int kHeight = 199;

std::vector<std::int32_t> endpoints() {
    const plot::PixelMapping mapping(plot::kPlotLeft, plot::kPlotTop, plot::kPlotRight,
                                     plot::kPlotBottom, kWidth, kHeight);
    std::vector<std::int32_t> points;
    for (const double k : kWaveNumbers) {
        RecordingSurface surface;
        plot::Animation animation(surface);
        animation.start(k);
        while (animation.running()) {
            animation.step();
        }
        for (const RecordedLine& line : surface.lines) {
            // An erase sweep retraces its frame's draw sweep in white.
            if (line.colour == plot::kWhite) {
                continue;
            }
            points.insert(
                points.end(),
                {std::int32_t(mapping.column(line.x1)), std::int32_t(mapping.row(line.y1)),
                 std::int32_t(mapping.column(line.x2)), std::int32_t(mapping.row(line.y2))});
        }
    }
    return points;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: frame_endpoints write|compare FILE\n", stderr);
        return 2;
    }
    const std::string_view mode = argv[1];
    const std::vector<std::int32_t> points = endpoints();
    const auto bytes = std::streamsize(points.size() * sizeof(std::int32_t));
    if (mode == "write") {
        std::ofstream out(argv[2], std::ios::binary);
        out.write(reinterpret_cast<const char*>(points.data()), bytes);
        return out ? 0 : 1;
    }
    std::vector<std::int32_t> other(points.size());
    std::ifstream in(argv[2], std::ios::binary);
    in.read(reinterpret_cast<char*>(other.data()), bytes);
    if (!in || in.peek() != std::ifstream::traits_type::eof()) {
        std::fprintf(stderr, "%s does not hold the end points of the same runs\n", argv[2]);
        return 1;
    }
    // An end point is a pair of coordinates.
    std::size_t differing = 0;
    for (std::size_t i = 0; i < points.size(); i += 2) {
        differing += points[i] != other[i] || points[i + 1] != other[i + 1] ? 1 : 0;
    }
    std::printf("%zu of %zu pixel end points differ\n", differing, points.size() / 2);
    return differing == 0 ? 0 : 1;
}
