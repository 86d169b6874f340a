#pragma once

void DoFilePrint();
