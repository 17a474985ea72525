#pragma once
// The page images of a document file in and out of their stored form, a PNG file each at the
// image's own colour depth, carrying its resolution. Pages are encoded and decoded on all the
// cores there are, each page by one worker; the bytes are the same as one after the other.

#include "platform/imaging/BitmapBase.h"

#include <QByteArray>
#include <functional>
#include <vector>

// Runs job(0) ... job(count - 1) spread over the available cores (at most `count` workers; one
// runs on the calling thread). The jobs must not throw and must not touch user-interface state.
void RunOnAllCores(int count, const std::function<void(int)>& job);

// The PNG file of every bitmap (an unallocated one gives an empty array). SUCCESS, or the result
// code of the first page that failed.
int EncodePageImages(const std::vector<const LBitmapBase*>& bitmaps, std::vector<QByteArray>& out);

// Decodes every non-empty array (format found from the content, depth kept) into the bitmap of
// the same index; an empty array leaves its bitmap untouched. SUCCESS, or the result code of the
// first page that failed (the bitmaps are then not to be used).
int DecodePageImages(const std::vector<QByteArray>& data, std::vector<LBitmapBase>& out);
