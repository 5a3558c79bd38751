// Placeholder so the launcher links; replaced by the real module.
#include "presence/rich_presence.h"
void StartRichPresence() {}
void StopRichPresence() {}
