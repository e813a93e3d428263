#include "forms/DiagnosticPageUi.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

namespace {

using Ui = TDiagnosticPageUi;

struct ColumnInfo
{
    const char *header; // two lines, or one
    const char *cellName;
};

constexpr std::array<ColumnInfo, Ui::HighPowerColumns> Columns{{
    {"Channel Name", "LabelDiagName"},
    {"Error Count\nShort Circuit", "LabelDiagShortCircuit"},
    {"Error Count\nTrip Level", "LabelDiagTripLevel"},
    {"Trip Level\nCurrent Draw", "LabelDiagTripCurrent"},
    {"Error Count\nLow Current", "LabelDiagLowCurrent"},
}};

QLabel *cell(QWidget *parent, const QString &text, int width, int height)
{
    auto *label = new QLabel(text, parent);
    label->setFixedSize(width, height);
    label->setAutoFillBackground(true);
    QPalette p = label->palette();
    p.setColor(QPalette::Window, Qt::white);
    p.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(p);
    return label;
}

// One table: the silver frame shows through the one-pixel gaps between white
// cells, so every cell is outlined as on the unit's printed service sheets.
// It sits in the top-left corner of an image of the given size, hidden.
QFrame *buildTable(Ui &ui, QWidget *parent, const char *name, int firstOutput, int lastOutput,
                   int columns, int imageWidth, QFrame *&grid)
{
    auto *image = new QFrame(parent);
    image->setObjectName(QLatin1String(name));
    image->setFixedSize(imageWidth, Ui::ImageHeight);
    auto *table = new QFrame(image);
    table->setObjectName(QLatin1String(name) + QStringLiteral("Table"));
    table->setAutoFillBackground(true);
    QPalette p = table->palette();
    p.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    table->setPalette(p);
    auto *cells = new QGridLayout(table);
    cells->setContentsMargins(1, 1, 1, 1);
    cells->setSpacing(1);

    int width = 1;
    for (int c = 0; c < columns; ++c) {
        const int w = Ui::ColumnWidths[static_cast<std::size_t>(c)];
        width += w;
        QLabel *header = cell(table, QLatin1String(Columns[static_cast<std::size_t>(c)].header),
                              w - 1, Ui::HeaderRows * Ui::RowHeight - 1);
        QFont bold = header->font();
        bold.setBold(true);
        header->setFont(bold);
        header->setAlignment(Qt::AlignCenter);
        cells->addWidget(header, 0, c);
    }
    for (int output = firstOutput; output <= lastOutput; ++output) {
        const int row = output - firstOutput + 1;
        for (int c = 0; c < columns; ++c) {
            QLabel *label = cell(table, {}, Ui::ColumnWidths[static_cast<std::size_t>(c)] - 1,
                                 Ui::RowHeight - 1);
            label->setObjectName(QLatin1String(Columns[static_cast<std::size_t>(c)].cellName) +
                                 QString::number(output));
            if (c == Ui::ColumnName) {
                label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
                label->setIndent(4);
            } else {
                QFont bold = label->font();
                bold.setBold(true);
                label->setFont(bold);
                label->setAlignment(Qt::AlignCenter);
            }
            ui.Cells[static_cast<std::size_t>(output)][static_cast<std::size_t>(c)] = label;
            cells->addWidget(label, row, c);
        }
    }
    const int rows = Ui::HeaderRows + lastOutput - firstOutput + 1;
    table->setGeometry(0, 0, width, rows * Ui::RowHeight + 1);
    table->hide();
    grid = table;
    return image;
}

QGroupBox *group(QWidget *page, const char *name, const char *title, QFrame *table)
{
    auto *box = new QGroupBox(QLatin1String(title), page);
    box->setObjectName(QLatin1String(name));
    auto *v = new QVBoxLayout(box);
    table->setParent(box);
    v->addWidget(table);
    v->addStretch(1);
    return box;
}

} // namespace

void TDiagnosticPageUi::setupUi(QWidget *page)
{
    auto *top = new QHBoxLayout(page);

    page_ = page;
    ImageHighPowerDiagnostic =
        buildTable(*this, page, "ImageHighPowerDiagnostic", 1, HighPowerChannels, HighPowerColumns,
                   HighPowerImageWidth, HighPowerTable);
    GroupBoxHighPower =
        group(page, "GroupBoxHighPowerDiagnostic", "High power channels", ImageHighPowerDiagnostic);
    top->addWidget(GroupBoxHighPower, 0, Qt::AlignTop);

    ImageLowPowerDiagnostic =
        buildTable(*this, page, "ImageLowPowerDiagnostic", HighPowerChannels + 1, Channels,
                   LowPowerColumns, LowPowerImageWidth, LowPowerTable);
    GroupBoxLowPower =
        group(page, "GroupBoxLowPowerDiagnostic", "Low power channels", ImageLowPowerDiagnostic);
    top->addWidget(GroupBoxLowPower, 0, Qt::AlignTop);

    auto *side = new QVBoxLayout;
    BtnClearDiagnostic = new QPushButton(QStringLiteral("Reset log"), page);
    BtnClearDiagnostic->setObjectName(QStringLiteral("BtnClearDiagnostic"));
    side->addSpacing(8);
    side->addWidget(BtnClearDiagnostic);
    side->addStretch(1);
    top->addLayout(side);
    top->addStretch(1);
    side_ = side;
}

void TDiagnosticPageUi::placeAutoResetEdit(QLineEdit *edit)
{
    // Under the button, in a column no wider than the button needs.
    auto *label = new QLabel(QStringLiteral("Auto reset of channel errors"), page_);
    label->setObjectName(QStringLiteral("LabelAutoResetChannelError"));
    label->setWordWrap(true);
    label->setBuddy(edit);
    edit->show();
    auto *side = static_cast<QVBoxLayout *>(side_);
    const int at = side->count() - 1; // before the stretch
    side->insertSpacing(at, 16);
    side->insertWidget(at + 1, label);
    side->insertWidget(at + 2, edit);
}
