#pragma once

// The standard pipe sizes: a table of the published standards and series, and its sizes with
// nominal size, outside diameter, wall and inside diameter. The choice is read after OK.

#include <QDialog>

#include <string>

class QComboBox;
class QPushButton;
class QTableWidget;

namespace corvel {

class PipeTable;
struct PipeSize;

class PipeTableDialog : public QDialog {
    Q_OBJECT

public:
    explicit PipeTableDialog(QWidget* parent = nullptr);

    /// Shows the table named `tableName` (the first table for an unknown name) with the size
    /// nearest `insideDiameter` [m] selected.
    void SetChoice(const std::string& tableName, double insideDiameter);

    /// The table shown.
    const PipeTable& Table() const;
    /// The selected size of the table shown; nullptr when none is selected.
    const PipeSize* Size() const;

    QComboBox* TableBox = nullptr;
    QTableWidget* SizeList = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

private:
    /// Fills the size list with the sizes of the table at `index`.
    void showTable(int index);
};

} // namespace corvel
