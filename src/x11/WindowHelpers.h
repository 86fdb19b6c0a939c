#pragma once
// Small window and drawing routines shared by the saver window and the dialogs.

#include <cstdint>
#include <string>

class QWidget;
class QPaintDevice;

namespace tav {

// Edge types of DrawButtonEdge.
inline constexpr std::int32_t EDGE_RAISED = 5;
inline constexpr std::int32_t EDGE_SUNKEN = 10;

// A short rectangle animation from the point (x, y) to the window (the window
// seems to grow out of the point), and back. They return at once.
void AnimateOpen(QWidget* window, int x, int y);
void AnimateClose(QWidget* window, int x, int y);

// A raised or sunken two-pixel frame around the whole surface.
void DrawButtonEdge(QPaintDevice* surface, std::int32_t edgeType);

// Makes the window translucent: 255 opaque, 1 nearly invisible. Visible where
// a compositor runs; harmless elsewhere.
void SetWindowOpacity(QWidget* window, std::uint8_t alpha);

// Tells the desktop whether a screen saver runs (false = one runs now).
void SetSaverRunning(bool allow);

// The folder part of a path: the text before its last "/", without a trailing "/".
std::string GetFolderOfPath(const std::string& path);

}  // namespace tav
