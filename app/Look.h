#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>

namespace tovrenic {

// Style, fonts and font substitutions shared by the whole program; call once after the
// application object exists and before any window is built.
void ApplyApplicationLook();

// The colour of the window, the group boxes, the labels and the picture box's background.
QColor ButtonFaceColour();

inline const QColor kPanelGreen(154, 237, 109);
inline const QColor kNoteGreyGreen(128, 160, 128);

// Draws a text box's selection only while the box has the focus.
void HideSelectionWhileUnfocused(QWidget* box);

// The Chinese desktop's face at 12 pixels, for most controls.
QFont DefaultGuiFont();
// 黑体 at 14 pixels, for the three preview panels.
QFont PanelFont();
// The desktop's face at 12 pixels, for the four news buttons.
QFont NewsButtonFont();

}  // namespace tovrenic
