#include "app/RoughForm.h"

#include "dialogs/MaterialsDialog.h"
#include "units/NumberText.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QStatusBar>
#include <QVBoxLayout>

namespace corvel {

const std::array<PipeMaterial, 4> kPipeMaterials = {{
    {"Drawn Tube", 0.0015},
    {"Steel Pipe", 0.046},
    {"Cast Iron Pipe", 0.26},
    {"Concrete Duct", 0.5},
}};

TRoughnessForm::TRoughnessForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("RoughnessForm"));
    setWindowTitle(QStringLiteral("Pipe Roughness"));
    resize(258, 205);

    Label1 = new QLabel(
        QStringLiteral("The value is entered in mm and is a measure of the pipe roughness.  "
                       "You are free to enter any value in the K field.  "
                       "This selection is offered as a guideline only"),
        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setMinimumHeight(57);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    for (const PipeMaterial& material : kPipeMaterials)
        ComboBox1->addItem(QString::fromUtf8(material.name));

    BitBtn1 = new QPushButton(tr("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(tr("Cancel"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    MoreButton = new QPushButton(tr("More materials..."), this);
    MoreButton->setObjectName(QStringLiteral("MoreButton"));
    MoreButton->setAutoDefault(false);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(MoreButton);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    auto* content = new QVBoxLayout;
    content->setContentsMargins(8, 8, 8, 8);
    content->addWidget(Label1);
    content->addWidget(ComboBox1);
    content->addStretch();
    content->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(content);
    layout->addWidget(StatusBar1);

    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(MoreButton, &QPushButton::clicked, this, [this] { MoreMaterialsClick(); });
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Change(); });

    ComboBox1->setCurrentIndex(0);
    ComboBox1Change();
}

void TRoughnessForm::ComboBox1Change() {
    const int index = ComboBox1->currentIndex();
    if (index < 0 || index >= static_cast<int>(kPipeMaterials.size()))
        return;
    SelectedRoughness = kPipeMaterials[static_cast<std::size_t>(index)].roughnessMm;
    StatusBar1->showMessage(QString::fromStdString(
        formatText("%s  %0.6fmm", {ComboBox1->currentText().toStdString(), SelectedRoughness})));
}

void TRoughnessForm::MoreMaterialsClick() {
    MaterialsDialog materials(this);
    if (materials.exec() != QDialog::Accepted || materials.SelectedRoughness() <= 0)
        return;
    SelectedRoughness = materials.SelectedRoughness();
    StatusBar1->showMessage(QString::fromStdString(formatText(
        "%s  %0.6fmm", {materials.SelectedMaterial().toStdString(), SelectedRoughness})));
    accept();
}

void TRoughnessForm::showEvent(QShowEvent* event) {
    ComboBox1Change();
    QDialog::showEvent(event);
}

} // namespace corvel
