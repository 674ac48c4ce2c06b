// The picture editor's work on its largest picture (1000 x 1000): a resize
// (each step of a spin box), the largest circle's preview (every mouse move
// of the circle tool), the GROB text, the grid painting it at 100 % and
// the import of a 4096 x 4096 image with dither; and the matrix writer's
// text of a full 100 x 100 grid.
//
//   build/bin/bench_picture [rounds]      (default 10)
//
// Prints the time of one round of each, in milliseconds.

#include "generators/DlgGrob.h"
#include "generators/GrobEditor.h"
#include "generators/GrobModel.h"
#include "generators/MatrixModel.h"
#include "generators/PictureImage.h"

#include <QElapsedTimer>
#include <QApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <functional>

namespace {

double perRound(int rounds, const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rounds; ++i)
        work();
    return double(timer.nsecsElapsed()) / 1e6 / rounds;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 10;

    TGrob big = TGrob::blank(1000, 1000);
    for (int i = 0; i < 1000; ++i)
        big.setPixel(i, (i * 7) % 1000, true);

    std::printf("resize 1000 x 1000 to 999 x 1000:   %8.2f ms\n",
                perRound(rounds, [&] { (void)GrobModel::resized(big, 999, 1000); }));
    std::printf("circle preview, radius 1400:        %8.2f ms\n", perRound(rounds, [&] {
                    (void)GrobModel::circlePoints(QPoint(0, 0), QPoint(990, 990), 1000, 1000);
                }));
    std::printf("GROB text of 1000 x 1000:           %8.2f ms\n",
                perRound(rounds, [&] { (void)GrobModel::insertText(big); }));
    std::printf("stroke undo step on 1000 x 1000:    %8.2f ms\n", perRound(rounds, [&] {
                    GrobEditor editor;
                    editor.openPicture(big, QStringLiteral("b.grb"));
                    editor.press(QPoint(1, 1), Qt::LeftButton);
                    editor.release(Qt::LeftButton);
                }));
    {
        // The grid window's paint of the whole picture at 100 %, no grid lines.
        GrobEditor editor;
        editor.openPicture(big, QStringLiteral("b.grb"));
        TGrobCanvas canvas(&editor);
        canvas.setCellSize(1);
        canvas.setGridLines(false);
        QImage screen(canvas.size(), QImage::Format_RGB32);
        std::printf("paint 1000 x 1000 cells at 100 %%:  %8.2f ms\n",
                    perRound(rounds, [&] { canvas.render(&screen); }));
    }
    QImage photo(4096, 4096, QImage::Format_RGB32);
    {
        QPainter p(&photo);
        QLinearGradient g(0, 0, 4096, 4096);
        g.setColorAt(0, Qt::black);
        g.setColorAt(1, Qt::white);
        p.fillRect(photo.rect(), g);
    }
    std::printf("import 4096^2 to 1000^2, dither:    %8.2f ms\n",
                perRound(rounds, [&] { (void)PictureImage::toPicture(photo, QSize(1000, 1000), 128, true); }));

    MatrixModel matrix;
    for (int r = 1; r <= MatrixModel::MaxSize; ++r)
        for (int c = 1; c <= MatrixModel::MaxSize; ++c)
            matrix.setCell(r, c, QString::number(r * c));
    std::printf("matrix text of 100 x 100:           %8.2f ms\n",
                perRound(rounds, [&] { (void)matrix.generate(MatrixModel::Type::Matrix); }));
    return 0;
}
