#pragma once

// The entry point that the picture file fuzz target (fuzz_grbFile.cpp, built
// with -DQV_FUZZ=ON and clang) and the corpus replay in tst_grobfile share:
// any bytes, never a crash or a hang.
#include "generators/GrobEditor.h"
#include "generators/GrobModel.h"

#include <cstddef>
#include <cstdint>

namespace GrobFuzz {

inline int grbFile(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     static_cast<qsizetype>(size));
    const std::optional<TGrob> picture = GrobModel::pictureFromFile(bytes);
    if (!picture)
        return 0;
    GrobEditor editor;
    if (!editor.openPicture(*picture, QStringLiteral("fuzz.grb")))
        __builtin_trap(); // what the reader accepts the editor holds
    // Written out, it reads back the same, and every pixel can be drawn.
    const QByteArray again = MakeObjectFile(GrobNibbleText(*picture), false);
    const std::optional<TGrob> reread = GrobModel::pictureFromFile(again);
    if (!reread || !(*reread == *picture))
        __builtin_trap();
    editor.press(QPoint(picture->Width - 1, picture->Height - 1), Qt::LeftButton);
    editor.release(Qt::LeftButton);
    (void)GrobModel::insertText(editor.picture());
    return 0;
}

} // namespace GrobFuzz
