#include "document/print.h"

void DoFilePrint() {}
