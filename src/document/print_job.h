// A print job: the pages go to the printer one per turn of the message loop, under a small
// Printing dialog that shows "Page N of M" and can cancel.
#pragma once

#include "document/print_layout.h"

#include <windows.h>

#include <string>

// Prints text on the printer DC, which the job owns from here on, with the copies the program
// makes itself; toFile sends the job to a file that Windows asks for.
void StartPrintJob(HDC printer, std::wstring text, const CopyPlan& copies, bool toFile);

// Whether a job is between the Print dialog's OK and its end.
bool PrintJobRunning();
// Stops the job after the page being made; nothing reaches the printer.
void CancelPrintJob();
// Cancels the job; once it has ended, the main window gets WM_CLOSE again.
void CancelPrintJobThenClose();
// Hands the loop's message to the Printing dialog (Esc, Tab); true if it took it.
bool IsPrintDialogMessage(MSG& msg);
