#include "plan/ServicePalette.h"

#include <iterator>

namespace {

// The Okabe-Ito set of colours, black last.
const QColor kColours[] = {
    QColor(0xd5, 0x5e, 0x00), // vermillion
    QColor(0x00, 0x72, 0xb2), // blue
    QColor(0xe6, 0x9f, 0x00), // orange
    QColor(0x00, 0x9e, 0x73), // bluish green
    QColor(0xcc, 0x79, 0xa7), // reddish purple
    QColor(0x56, 0xb4, 0xe9), // sky blue
    QColor(0xf0, 0xe4, 0x42), // yellow
    QColor(0x00, 0x00, 0x00), // black
};

// One pattern per round through the colours: 64 fills before one comes again.
const Qt::BrushStyle kPatterns[] = {Qt::SolidPattern,     Qt::BDiagPattern, Qt::FDiagPattern, Qt::CrossPattern,
                                    Qt::DiagCrossPattern, Qt::HorPattern,   Qt::VerPattern,   Qt::Dense4Pattern};

} // namespace

int ServicePalette::colourCount() { return int(std::size(kColours)); }

ServicePalette::Fill ServicePalette::fillOf(int index)
{
    if (index < 0)
        index = 0;
    const int round = index / colourCount();
    return {kColours[index % colourCount()], kPatterns[round % int(std::size(kPatterns))]};
}
