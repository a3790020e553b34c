#include "app/desktop.h"

#include <QGuiApplication>

#ifdef BRENMO_HAVE_X11EXTRAS
#include <QX11Info>
#endif

Desktop::Desktop() : isComposited(detectComposited()) {}

Desktop& Desktop::instance() {
  static Desktop desktop;
  return desktop;
}

void Desktop::setComposited(bool composited) {
  if (composited == isComposited)
    return;
  isComposited = composited;
  emit compositedChanged();
}

bool Desktop::detectComposited() {
  const QString platform = QGuiApplication::platformName();
#ifdef BRENMO_HAVE_X11EXTRAS
  if (platform == QLatin1String("xcb"))
    return QX11Info::isCompositingManagerRunning();
#endif
  // A VNC server or a frame buffer composes nothing. Wayland, Windows and macOS always
  // composite, and offscreen windows are drawn each on its own.
  return platform != QLatin1String("vnc") && platform != QLatin1String("linuxfb") &&
         platform != QLatin1String("minimal") && platform != QLatin1String("xcb");
}
