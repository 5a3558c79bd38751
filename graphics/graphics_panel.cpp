// Placeholder so the launcher links; replaced by the real module.
#include "graphics/graphics_panel.h"
namespace GraphicsPanel {
void Draw() {}
void RequestReload() {}
}
