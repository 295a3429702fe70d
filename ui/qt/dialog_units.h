// Dialog units: positions in a dialog template scale with the dialog font, a
// quarter of its average character width across, an eighth of its height down.
#pragma once

#include <QFont>
#include <QRect>

class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font);

    QRect ToPixels(int x, int y, int width, int height) const;
    int BaseX() const { return m_baseX; }

  private:
    int m_baseX;
    int m_baseY;
};
