#pragma once

void ToggleWordWrap();
