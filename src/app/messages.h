#pragma once

// The one out-of-memory message, shared by Open, Save, Save As, Print and word wrap.
void ShowOutOfMemoryMessage();
