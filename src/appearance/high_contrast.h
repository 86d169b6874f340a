// Whether Windows' contrast themes are on: then the system's colours win over Jotwell's palettes.
#pragma once

// Asks the system afresh at each call. A query that fails counts as off.
bool HighContrastOn();
