#pragma once
// Whether a control shows it has the focus: compares two pictures of it along its edge.
#include <QColor>
#include <QImage>
#include <cstdlib>

// The share of a control's outer ring (three pixels deep) that changes clearly between two pictures of
// it: a focus mark the shopkeeper sees at a glance runs round the control. Pictures of different sizes
// count as wholly changed.
inline double changedEdgeShare(const QImage &plain, const QImage &focused) {
    if (plain.size() != focused.size()) return 1;
    constexpr int Depth = 3;
    int ring = 0, changed = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x) {
            if (x >= Depth && y >= Depth && x < plain.width() - Depth && y < plain.height() - Depth) continue;
            ++ring;
            const QColor a = plain.pixelColor(x, y), b = focused.pixelColor(x, y);
            if (std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                    std::abs(a.blue() - b.blue()) >=
                120)
                ++changed;
        }
    return ring ? double(changed) / ring : 0;
}
