#include "ui/qt/dialog_units.h"

#include <QFontMetrics>

#include <cmath>

namespace {

int Scale(int units, int base, int divisor) {
    return static_cast<int>(std::lround(static_cast<double>(units) * base / divisor));
}

} // namespace

DialogUnits::DialogUnits(const QFont& font) {
    // The average width of the Latin letters, rounded as the Windows dialog
    // manager rounds it.
    const QFontMetrics metrics(font);
    const int letters =
        metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_baseX = (letters / 26 + 1) / 2;
    m_baseY = metrics.height();
}

QRect DialogUnits::ToPixels(int x, int y, int width, int height) const {
    return QRect(Scale(x, m_baseX, 4), Scale(y, m_baseY, 8), Scale(width, m_baseX, 4),
                 Scale(height, m_baseY, 8));
}
