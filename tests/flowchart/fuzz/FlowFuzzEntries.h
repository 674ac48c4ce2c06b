#pragma once

// The entry point that the flowchart file fuzz target (fuzz_adbFile.cpp,
// built with -DQV_FUZZ=ON and clang) and the corpus replay in tst_diagram
// share: any bytes, never a crash or a hang.
#include "flowchart/CalcExpress.h"
#include "flowchart/DiagramBuilder.h"
#include "flowchart/DiagramFile.h"
#include "flowchart/FlowchartCode.h"

#include <cstddef>
#include <cstdint>

namespace FlowFuzz {

inline int adbFile(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     static_cast<qsizetype>(size));
    TDiagram diagram;
    if (DiagramFile::Read(bytes, diagram) != DiagramFile::ReadStatus::Ok) {
        if (diagram.ShapeCount() != 0)
            __builtin_trap(); // a refused file leaves nothing behind
        return 0;
    }
    // What was read writes out to a file that reads back to the same bytes.
    const QByteArray once = DiagramFile::Write(diagram);
    TDiagram again;
    if (DiagramFile::Read(once, again) != DiagramFile::ReadStatus::Ok
        || DiagramFile::Write(again) != once)
        __builtin_trap();
    // Any graph at all must end the walk, and any caption the evaluator.
    (void)GenerateUserRPL(diagram, '.');
    TCalcExpress calc;
    calc.setVariables({QStringLiteral("Pi"), QStringLiteral("x")});
    const long double values[] = {3.14L, 2};
    for (const TShapeCustomControl *s : diagram.Shapes()) {
        calc.setFormula(s->Caption());
        (void)calc.Calculate(values);
    }
    return 0;
}

} // namespace FlowFuzz
