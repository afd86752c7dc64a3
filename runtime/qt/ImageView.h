#pragma once

#include <QPixmap>
#include <QScrollArea>

class QLabel;

namespace host::qt {

// An image control: the picture in a frameless scroll area. A picture drawn larger than
// the control scrolls when the program gave it scroll bars; clicks and the user's
// scrolling are reported for the runtime (the point in pixels from the visible top left
// corner, scroll positions 0..255).
class ImageView : public QScrollArea {
    Q_OBJECT
public:
    explicit ImageView(QWidget* parent = nullptr);

    void setPicture(const QPixmap& picture);
    void clearPicture();
    // Which scroll bars may show.
    void setScrollBars(bool across, bool down);
    // Moves the picture to the program's positions (0..255), without reporting it back.
    void scrollTo(int across, int down);
    // The positions the scroll bars stand at now, 0..255.
    int positionAcross() const;
    int positionDown() const;

signals:
    // A mouse button on the picture: the point in pixels and the runtime's key code.
    void clicked(int x, int y, int keyCode);
    void scrolledByUser(int across, int down);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void reportScroll();

    QLabel* label_;
    bool moving_ = false;
    int wantedAcross_ = 0;
    int wantedDown_ = 0;
};

} // namespace host::qt
