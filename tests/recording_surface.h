// A surface that records what is drawn on it instead of drawing it.
#pragma once

#include "surface.h"

#include <algorithm>
#include <iterator>
#include <vector>

struct RecordedLine {
    float x1, y1, x2, y2;
    QRgb colour;
};

class RecordingSurface : public plot::Surface {
public:
    struct Scale {
        float left, top, right, bottom;
    };
    struct Sweep {
        plot::Frame frame;
        plot::SweepMode mode;
    };

    void scale(float left, float top, float right, float bottom) override {
        scales.push_back({left, top, right, bottom});
    }
    void line(float x1, float y1, float x2, float y2, QRgb colour) override {
        lines.push_back({x1, y1, x2, y2, colour});
    }
    void draw(const plot::Frame& frame, std::span<const plot::Segment> segments) override {
        record(frame, plot::SweepMode::Draw, segments);
    }
    void erase(const plot::Frame& frame, std::span<const plot::Segment> segments) override {
        record(frame, plot::SweepMode::Erase, segments);
    }
    void clear() override { ++clears; }
    void flush() override { ++flushes; }

    void reset() { *this = RecordingSurface(); }

    std::vector<Scale> scales;
    std::vector<RecordedLine> lines;
    std::vector<Sweep> sweeps;
    int clears = 0;
    int flushes = 0;

private:
    void record(const plot::Frame& frame, plot::SweepMode mode,
                std::span<const plot::Segment> segments) {
        sweeps.push_back({frame, mode});
        std::transform(segments.begin(), segments.end(), std::back_inserter(lines),
                       [](const plot::Segment& s) {
                           return RecordedLine{s.x1, s.y1, s.x2, s.y2, s.colour};
                       });
    }
};
