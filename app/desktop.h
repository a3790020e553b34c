#pragma once

#include <QObject>

// What the desktop under the program can do, as the dialogs need to know it. The modal boxes
// are see-through windows over the whole main window, dimming it; a desktop that composites
// nothing (X11 without a compositing manager, VNC, a frame buffer) paints such a window black,
// so there they are only as large as their panel. QML reads it as the singleton "Desktop"
// (com.tivor.desktop); tests and the screenshot driver set it to picture either look.
class Desktop : public QObject {
  Q_OBJECT
  Q_PROPERTY(bool composited READ composited WRITE setComposited NOTIFY compositedChanged)

public:
  // The one instance QML sees, detected when first asked (needs the application object).
  static Desktop& instance();

  bool composited() const { return isComposited; }
  void setComposited(bool composited);

  // Asks the platform: on X11 whether a compositing manager owns the screen's selection.
  static bool detectComposited();

signals:
  void compositedChanged();

private:
  Desktop();
  bool isComposited;
};
