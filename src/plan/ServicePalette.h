#pragma once

#include <QColor>
#include <Qt>

// The fill of each service in the chart, by its place in the pivot: eight colours that stay apart
// for readers with any common colour-vision deficiency and on a grey printout, red first (the colour
// of a lone service). Past the eighth service the colours come round again under a hatching of their
// own, so that no two services of one chart share a fill.
class ServicePalette {
public:
    struct Fill {
        QColor colour;
        Qt::BrushStyle pattern = Qt::SolidPattern;
        bool operator==(const Fill&) const = default;
    };

    static int colourCount();
    static Fill fillOf(int index);
};
