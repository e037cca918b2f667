// Until the main window lands, the calculator opens a plain window with the default case.
#include "app/FlowCase.h"
#include "app/Results.h"

#include <QApplication>
#include <QPlainTextEdit>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    corvel::FlowCase flowCase;
    flowCase.ReadInputs(flowCase.ShowInputs());
    QString text;
    if (flowCase.Solve().solved)
        for (const corvel::ResultRow& row : corvel::MakeResultRows(flowCase))
            text += QString::fromStdString(row.caption + '\t' + row.value + '\t' + row.units + '\n');
    QPlainTextEdit window(text);
    window.setReadOnly(true);
    window.setWindowTitle(QStringLiteral("Corvel"));
    window.resize(420, 320);
    window.show();
    return app.exec();
}
