#pragma once
// The batch command --capture KIND [--delay SECONDS] OUT: one capture without any window of the
// program, written as an image file (by its extension) or as a document.

void RegisterCaptureBatchCommand();
