// The document's name and save form, and those of a document whose text is still arriving: they
// become the document's when the last piece is in, so that a load stopped or failed leaves
// nothing to restore.
#pragma once

// The path the caption names (empty: untitled) and the save form the Encoding items mark: the
// arriving document's while its text arrives.
const wchar_t* ShownFilePath();
int ShownSaveEncoding();

// A document named `path` is arriving, to be saved as `encoding`; it replaces any arriving before.
void ExpectDocument(const wchar_t* path, int encoding);
// Its text is all in: its name and save form become the document's.
void CommitArrivingDocument();
// Its text will not be all in (a failure, or another document in its place).
void DropArrivingDocument();
