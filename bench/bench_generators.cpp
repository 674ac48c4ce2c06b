// What the INPUT, CHOOSE and INFORM windows do after each change, on the
// largest inputs they are meant for: writing the code, checking it with the
// calculator's compiler (the warning line) and painting the drawing.
//
//   build/bin/bench_generators [rounds]      (default 50)
//
// Prints the time of one round of each, in milliseconds.

#include "generators/CalcScreen.h"
#include "generators/ChooseBuilder.h"
#include "generators/GeneratedText.h"
#include "generators/InformBuilder.h"
#include "generators/InputBuilder.h"

#include <QElapsedTimer>
#include <QGuiApplication>
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

void report(const char *what, int rounds, const GeneratedText &sample, const std::function<void(QPainter &)> &paint)
{
    QImage image(CalcScreen::Size, QImage::Format_RGB32);
    const double check = perRound(rounds, [&] { (void)GeneratorText::CompileProblem(sample.bytes, true); });
    const double draw = perRound(rounds, [&] {
        QPainter p(&image);
        paint(p);
    });
    std::printf("%-34s %8lld bytes  check %8.3f ms  drawing %8.3f ms\n", what, qlonglong(sample.bytes.size()), check,
                draw);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 50;

    InputFields input;
    for (int i = 0; i < 5000; ++i)
        input.prompt += "Line " + QByteArray::number(i) + " of a long prompt\n";
    input.commandLine = "1 2 3";
    const double inputWrite = perRound(rounds, [&] { (void)GenerateInput(input); });
    std::printf("INPUT, 5000 prompt lines: writing %.3f ms\n", inputWrite);
    report("INPUT, 5000 prompt lines", rounds, GenerateInput(input), [&](QPainter &p) { CalcScreen::PaintInput(p, input); });

    ChooseFields choose;
    choose.title = "Pick";
    for (int i = 0; i < 200; ++i)
        choose.rows << ChooseRow{"Item " + QByteArray::number(i), QByteArray::number(i) + " SQ"};
    report("CHOOSE, 200 rows", rounds, GenerateChoose(choose), [&](QPainter &p) { CalcScreen::PaintChoose(p, choose); });

    InformFields inform;
    inform.title = "Form";
    inform.columns = 6;
    for (int i = 0; i < 24; ++i)
        inform.fields << InformField{"F" + QByteArray::number(i) + ":", "Help", "0", "1", QByteArray::number(i)};
    report("INFORM, 24 fields in 6 columns", rounds, GenerateInform(inform),
           [&](QPainter &p) { CalcScreen::PaintInform(p, inform, 3); });
    return 0;
}
