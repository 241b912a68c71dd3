// Weak placeholders for the drawing methods whose real definitions are still being
// written (in the other Xp*.cpp files); each does nothing. A real definition
// replaces its placeholder at link time; delete the placeholder with it. Listed last
// in the library so that the linker finds the real definitions first.
#include "XpSubclass.h"
#include "Xpmenu.h"

#define GW_PENDING __attribute__((weak))

GW_PENDING void TControlSubClass::PaintCombo() {}
GW_PENDING void TControlSubClass::PaintEdit() {}
GW_PENDING void TControlSubClass::PaintRichEdit() {}
GW_PENDING void TControlSubClass::PaintCheckBox() {}
GW_PENDING void TControlSubClass::PaintRadio() {}
GW_PENDING void TControlSubClass::PaintButton() {}
GW_PENDING void TControlSubClass::PaintBitButn() {}
GW_PENDING void TControlSubClass::PaintSpeedButton() {}
GW_PENDING void TControlSubClass::PaintUpDownButton() {}
GW_PENDING void TControlSubClass::PaintGroupBox() {}
GW_PENDING void TControlSubClass::PaintPanel() {}
