// Images of the second display: taking a file into the program's "Data" folder, and
// showing images in the display's pictures without decoding the same file twice.
#pragma once

#include <cstddef>

// Copies the image at source into "Data" and stores "Data\\name" in field. A different
// file of that name already in "Data" is kept: the copy takes the next free name
// ("name-2.ext"); the same file is left as it is. Returns true on success; on failure
// the field keeps its former path and the operator is told.
bool FsdLoadImage(const char* source, char* field, size_t fieldSize);
template <size_t N>
bool FsdLoadImage(const char* source, char (&field)[N]) {
    return FsdLoadImage(source, field, N);
}

// Shows path in a picture control, decoded at the control's size; an empty, missing or
// unreadable file leaves it empty. Only a plain name of "Data" naming a plain file there
// is read; any other path (absolute, "..", a device, a FIFO, a link leaving "Data") is
// refused, with a message once per run while the display is shown. The same path at the same size is not read
// again until the images are forgotten.
void FsdAfficherImage(int panel, int ctrl, const char* path);
void FsdEffacerImage(int panel, int ctrl);
// Forgets which files the pictures show (a file of the same name may have been replaced).
void FsdOublierImages();
