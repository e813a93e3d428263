#include "forms/ConfigPagesUi.h"

#include "forms/FormControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

int ItemNumber(const QObject *object)
{
    if (!object)
        return 0;
    const QString name = object->objectName();
    qsizetype start = name.size();
    while (start > 0 && name.at(start - 1).isDigit())
        --start;
    // Item numbers are small; a longer run of digits is no item number.
    if (start == name.size() || name.size() - start > 6)
        return 0;
    return name.mid(start).toInt();
}

void SelectRowQuietly(QListWidget *list, int row)
{
    if (!list)
        return;
    const QSignalBlocker blocker(list);
    list->setCurrentRow(row);
}

void SetCheckedQuietly(QListWidget *list, int row, bool checked)
{
    if (!list || row < 0 || row >= list->count())
        return;
    const QSignalBlocker blocker(list);
    list->item(row)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

bool IsItemChecked(const QListWidget *list, int row)
{
    return list && row >= 0 && row < list->count() && list->item(row)->checkState() == Qt::Checked;
}

void FillCheckList(QListWidget *list, const QStringList &texts)
{
    if (!list)
        return;
    const QSignalBlocker blocker(list);
    list->setUpdatesEnabled(false);
    list->clear();
    for (const QString &text : texts) {
        auto *item = new QListWidgetItem(text, list);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
    list->setUpdatesEnabled(true);
}

void DrawBytePositions(QLabel *image, int lo, int hi)
{
    if (!image)
        return;
    const int width = image->width();
    const int height = image->height();
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    const int w = width / 8;
    QFont regular = image->font();
    QFont bold = regular;
    bold.setBold(true);
    for (int i = 0; i < 8; ++i) {
        const QRect cell(i * w + 1, 0, w - 1, height - 1);
        painter.setPen(QColor(0xC0, 0xC0, 0xC0));
        painter.drawRect(cell);
        QString text = QString::number(i);
        if (i == hi - 1 || i == lo - 1) {
            text = i == hi - 1 ? QStringLiteral("Hi") : QStringLiteral("Lo");
            painter.setFont(bold);
            painter.setPen(Qt::black);
        } else {
            painter.setFont(regular);
        }
        painter.drawText(cell, Qt::AlignCenter, text);
    }
    painter.end();
    image->setPixmap(pixmap);
}

namespace {

QString numbered(const char *stem, int n)
{
    return QLatin1String(stem) + QString::number(n);
}

// Width for `chars` average characters plus the frame of an edit or combo.
int charsWidth(const QWidget *w, int chars)
{
    return w->fontMetrics().horizontalAdvance(QLatin1Char('0')) * chars + 14;
}

QLabel *newLabel(QWidget *parent, const QString &name, const QString &text = {})
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QLabel *caption(QWidget *parent, const QString &text)
{
    return new QLabel(text, parent);
}

QLineEdit *newEdit(QWidget *parent, const QString &name, int maxLength, int chars)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    if (maxLength > 0)
        edit->setMaxLength(maxLength);
    if (chars > 0)
        edit->setFixedWidth(charsWidth(edit, chars));
    return edit;
}

// Hexadecimal entry of up to `digits` digits; text set from code is not cut.
QLineEdit *newHexEdit(QWidget *parent, const QString &name, int digits)
{
    auto *edit = newEdit(parent, name, 0, digits + 2);
    edit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,%1}").arg(digits)), edit));
    return edit;
}

QComboBox *newCombo(QWidget *parent, const QString &name, const QStringList &items, int chars)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(name);
    // Long names must not widen the page; the entries stay readable in the popup.
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(chars);
    combo->addItems(items);
    return combo;
}

QCheckBox *newCheck(QWidget *parent, const QString &name, const QString &text)
{
    auto *box = new QCheckBox(text, parent);
    box->setObjectName(name);
    return box;
}

QPushButton *newButton(QWidget *parent, const QString &name, const QString &text)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}

// A list box, or with `checks` a check list: room for the check marks too.
QListWidget *newList(QWidget *parent, const QString &name, int chars, bool checks = false)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(name);
    list->setFixedWidth(charsWidth(list, chars) + (checks ? 44 : 20));
    return list;
}

QGroupBox *newGroup(QWidget *parent, const QString &title, const QString &name = {})
{
    auto *group = new QGroupBox(title, parent);
    if (!name.isEmpty())
        group->setObjectName(name);
    return group;
}

// Every page scrolls: the controls go into a widget inside a scroll area.
QWidget *scrollContent(QWidget *page, const char *name)
{
    auto *outer = new QVBoxLayout(page);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *scroll = new QScrollArea(page);
    scroll->setObjectName(QLatin1String(name) + QLatin1String("Scroll"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto *content = new QWidget;
    content->setObjectName(QLatin1String(name) + QLatin1String("Content"));
    scroll->setWidget(content);
    outer->addWidget(scroll);
    return content;
}

struct TransferButtons
{
    QPushButton *read;
    QPushButton *upload;
    QPushButton *defaults;
};

// "Read", "Upload" and "Default settings", stacked; the same three on several pages.
TransferButtons addTransferButtons(QWidget *parent, QBoxLayout *layout, const char *readName,
                                   const char *uploadName, const char *defaultName,
                                   Qt::Orientation orientation = Qt::Vertical)
{
    auto *column = new QBoxLayout(orientation == Qt::Vertical ? QBoxLayout::TopToBottom
                                                              : QBoxLayout::LeftToRight);
    TransferButtons b{
        newButton(parent, QLatin1String(readName), QStringLiteral("Read")),
        newButton(parent, QLatin1String(uploadName), QStringLiteral("Upload")),
        newButton(parent, QLatin1String(defaultName), QStringLiteral("Default settings"))};
    column->addWidget(b.read);
    column->addWidget(b.upload);
    column->addWidget(b.defaults);
    column->addStretch(1);
    layout->addLayout(column);
    return b;
}

const QStringList &triggerLevels()
{
    static const QStringList items{QStringLiteral("OPEN"), QStringLiteral("GND")};
    return items;
}

const QStringList &canOperators()
{
    static const QStringList items{QStringLiteral("="),  QStringLiteral(">"),
                                   QStringLiteral("<"),  QStringLiteral("&"),
                                   QStringLiteral("!&"), QStringLiteral("not")};
    return items;
}

// Widths in digit widths: names are mostly narrower letters than digits.
constexpr int NameChars = 13;
constexpr int LabelChars = 15; // "n: " and a name; longer names are cut off on screen
constexpr int TriggerChars = 11;
constexpr int TenthsChars = 5;
constexpr int BitComboChars = 7;

} // namespace

void TConfigPagesUi::setupUi(QWidget *const pages[PageCount])
{
    setupInputsPage(pages[PageInputs]);
    setupCanInputsPage(pages[PageCanInputs]);
    setupVirtualInputsPage(pages[PageVirtualInputs]);
    setupCanExportPage(pages[PageCanExport]);
    setupOutputsPage(pages[PageOutputs]);
    setupFlashWiperSequencePage(pages[PageFlashWiperSequence]);
    setupLowBatteryPage(pages[PageLowBattery]);
    setupStartKillPage(pages[PageStartKill]);
    setupLowCurrentPage(pages[PageLowCurrent]);
    setupSocketInfoPage(pages[PageSocketInfo]);
    // The scroll areas stand in for pages that fit the screen: the wheel
    // scrolls them and leaves the settings under the pointer alone.
    for (int p = 0; p < PageCount; ++p)
        for (QScrollArea *area : pages[p]->findChildren<QScrollArea *>())
            WheelScrollsPage(area);
}

void TConfigPagesUi::setupInputsPage(QWidget *page)
{
    QWidget *c = scrollContent(page, "InputsPage");
    auto *row = new QHBoxLayout(c);

    auto *group = newGroup(c, QStringLiteral("Inputs"));
    auto *grid = new QGridLayout(group);
    grid->addWidget(caption(group, QStringLiteral("Name")), 0, 1);
    grid->addWidget(caption(group, QStringLiteral("Mode")), 0, 2);
    const QStringList modes{QStringLiteral("Toggle"), QStringLiteral("Momentary")};
    for (int n = 1; n <= InputCount; ++n) {
        LabelInputCh[n] = newLabel(group, numbered("LabelInputCh", n), numbered("", n) + ": ");
        LabelInputCh[n]->setFixedWidth(charsWidth(LabelInputCh[n], LabelChars));
        EditInputName_ch[n] =
            newEdit(group, numbered("EditInputName_ch", n), NameLength, NameChars);
        ComboBoxInput_ch[n] = newCombo(group, numbered("ComboBoxInput_ch", n), modes, 10);
        grid->addWidget(LabelInputCh[n], n, 0);
        grid->addWidget(EditInputName_ch[n], n, 1);
        grid->addWidget(ComboBoxInput_ch[n], n, 2);
    }
    CheckBoxInputPWMEnable = newCheck(group, QStringLiteral("CheckBoxInputPWMEnable"),
                                      QStringLiteral("Input PWM enable"));
    grid->addWidget(CheckBoxInputPWMEnable, InputCount + 1, 1, 1, 2);
    row->addWidget(group, 0, Qt::AlignTop);

    const TransferButtons b = addTransferButtons(c, row, "BtnLoad", "BtnSave", "BtnDefault");
    BtnLoad = b.read;
    BtnSave = b.upload;
    BtnDefault = b.defaults;
    row->addStretch(1);
}

void TConfigPagesUi::setupCanInputsPage(QWidget *page)
{
    QWidget *c = scrollContent(page, "CanInputsPage");
    auto *v = new QVBoxLayout(c);
    auto *top = new QHBoxLayout;
    v->addLayout(top);

    // The list of the 32 CAN inputs selects the record that the editor shows.
    auto *listGroup = newGroup(c, QStringLiteral("CAN inputs"));
    auto *listLayout = new QVBoxLayout(listGroup);
    ListBoxCAN_INPUT = newList(listGroup, QStringLiteral("ListBoxCAN_INPUT"), NameChars);
    for (int n = 1; n <= CanInputCount; ++n)
        ListBoxCAN_INPUT->addItem(numbered("CAN ", n));
    // The editors always have a record in hand.
    ListBoxCAN_INPUT->setCurrentRow(0);
    listLayout->addWidget(ListBoxCAN_INPUT);
    top->addWidget(listGroup);

    GroupBoxCAN_Parameter =
        newGroup(c, QStringLiteral("CAN 1"), QStringLiteral("GroupBoxCAN_Parameter"));
    auto *g = GroupBoxCAN_Parameter;
    auto *pv = new QVBoxLayout(g);
    auto *noData = new QHBoxLayout;
    noData->addWidget(caption(g, QStringLiteral("No CAN data:")));
    NoCANdataComboBox = newCombo(
        g, QStringLiteral("NoCANdataComboBox"),
        {QStringLiteral("Set Off"), QStringLiteral("Set On"), QStringLiteral("Hold state")}, 10);
    noData->addWidget(NoCANdataComboBox);
    noData->addStretch(1);
    pv->addLayout(noData);

    auto *onOff = new QGridLayout;
    onOff->addWidget(caption(g, QStringLiteral("ON")), 0, 1);
    onOff->addWidget(caption(g, QStringLiteral("OFF")), 0, 2);
    onOff->addWidget(caption(g, QStringLiteral("CAN ID (hex)")), 1, 0);
    onOff->addWidget(caption(g, QStringLiteral("Operator")), 2, 0);
    onOff->addWidget(caption(g, QStringLiteral("Value")), 3, 0);
    onOff->addWidget(caption(g, QStringLiteral("Data bytes")), 4, 0);
    const auto stateColumn = [&](int column, const char *suffix, QLineEdit *&id, QComboBox *&op,
                                 QLineEdit *&value, QLabel *&dimension, QLabel *&image,
                                 int dimensionNo) {
        id = newHexEdit(g, QLatin1String("EditCAN_ID_") + QLatin1String(suffix) + "_1", 3);
        op = newCombo(g, QLatin1String("ComboBoxCAN_Operator") + QLatin1String(suffix),
                      canOperators(), 4);
        value = newEdit(g, QLatin1String("EditValueCAN_") + QLatin1String(suffix) + "_1", 5, 7);
        dimension = newLabel(g, numbered("LabelCanInDimension", dimensionNo));
        image = newLabel(g, QLatin1String("ImageCan_1_") + QLatin1String(suffix));
        image->setFixedSize(200, 22);
        DrawBytePositions(image, 0, 0);
        auto *valueRow = new QHBoxLayout;
        valueRow->addWidget(value);
        valueRow->addWidget(dimension);
        valueRow->addStretch(1);
        onOff->addWidget(id, 1, column, Qt::AlignLeft);
        onOff->addWidget(op, 2, column, Qt::AlignLeft);
        onOff->addLayout(valueRow, 3, column);
        onOff->addWidget(image, 4, column);
    };
    stateColumn(1, "ON", EditCAN_ID_ON_1, ComboBoxCAN_OperatorON, EditValueCAN_ON_1,
                LabelCanInDimension1, ImageCan_1_ON, 1);
    stateColumn(2, "OFF", EditCAN_ID_OFF_1, ComboBoxCAN_OperatorOFF, EditValueCAN_OFF_1,
                LabelCanInDimension2, ImageCan_1_OFF, 2);
    pv->addLayout(onOff);

    auto *rowFilter = new QHBoxLayout;
    CheckBoxCAN_In_RowEnable =
        newCheck(g, QStringLiteral("CheckBoxCAN_In_RowEnable"), QStringLiteral("Row filter"));
    EditValueCAN_IN_RowByteIndex = newEdit(g, QStringLiteral("EditValueCAN_IN_RowByteIndex"), 0, 3);
    EditValueCAN_IN_RowByteValue = newEdit(g, QStringLiteral("EditValueCAN_IN_RowByteValue"), 0, 4);
    rowFilter->addWidget(CheckBoxCAN_In_RowEnable);
    rowFilter->addWidget(caption(g, QStringLiteral("Byte index")));
    rowFilter->addWidget(EditValueCAN_IN_RowByteIndex);
    rowFilter->addWidget(caption(g, QStringLiteral("Byte value")));
    rowFilter->addWidget(EditValueCAN_IN_RowByteValue);
    rowFilter->addStretch(1);
    pv->addLayout(rowFilter);

    auto *scaling = new QGridLayout;
    RadioButton_Unsigned = new QRadioButton(QStringLiteral("Unsigned"), g);
    RadioButton_Unsigned->setObjectName(QStringLiteral("RadioButton_Unsigned"));
    RadioButton_Unsigned->setChecked(true);
    RadioButton_Signed = new QRadioButton(QStringLiteral("Signed"), g);
    RadioButton_Signed->setObjectName(QStringLiteral("RadioButton_Signed"));
    EditValueCAN_IN_Dimension = newEdit(g, QStringLiteral("EditValueCAN_IN_Dimension"), 5, 6);
    EditValueCAN_IN_Multiplicator =
        newEdit(g, QStringLiteral("EditValueCAN_IN_Multiplicator"), 0, 10);
    EditValueCAN_IN_Offset = newEdit(g, QStringLiteral("EditValueCAN_IN_Offset"), 0, 5);
    scaling->addWidget(caption(g, QStringLiteral("Data type")), 0, 0);
    scaling->addWidget(RadioButton_Unsigned, 0, 1);
    scaling->addWidget(RadioButton_Signed, 0, 2);
    scaling->addWidget(caption(g, QStringLiteral("Dimension")), 1, 0);
    scaling->addWidget(EditValueCAN_IN_Dimension, 1, 1);
    scaling->addWidget(caption(g, QStringLiteral("Multiplicator")), 2, 0);
    scaling->addWidget(EditValueCAN_IN_Multiplicator, 2, 1, 1, 2, Qt::AlignLeft);
    scaling->addWidget(caption(g, QStringLiteral("Offset")), 3, 0);
    scaling->addWidget(EditValueCAN_IN_Offset, 3, 1);
    scaling->setColumnStretch(3, 1);
    pv->addLayout(scaling);
    pv->addStretch(1);
    top->addWidget(g);

    // CAN setup, the pin that enables the CAN inputs, and the transfer buttons.
    auto *side = new QVBoxLayout;
    top->addLayout(side);
    auto *setup = newGroup(c, QStringLiteral("CAN setup"));
    auto *form = new QFormLayout(setup);
    CANbitRateComboBox = newCombo(setup, QStringLiteral("CANbitRateComboBox"),
                                  {QStringLiteral("125 kbit/s"), QStringLiteral("250 kbit/s"),
                                   QStringLiteral("500 kbit/s"), QStringLiteral("1 Mbit/s")},
                                  10);
    CANdelayBeforeNoCANdataEdit =
        newEdit(setup, QStringLiteral("CANdelayBeforeNoCANdataEdit"), 0, 6);
    CANresetChannelErrorIDedit = newHexEdit(setup, QStringLiteral("CANresetChannelErrorIDedit"), 4);
    QStringList dataBytes;
    for (int b = 0; b < 8; ++b)
        dataBytes << QString::number(b);
    CANresetChannelErrorDataCombo =
        newCombo(setup, QStringLiteral("CANresetChannelErrorDataCombo"), dataBytes, 3);
    CANresetChannelErrorBitMaskEdit =
        newHexEdit(setup, QStringLiteral("CANresetChannelErrorBitMaskEdit"), 2);
    // Part of the CAN setup block, shown on the Diagnostic page (placed by the main window).
    AutoResetChannelErrorEdit = newEdit(setup, QStringLiteral("AutoResetChannelErrorEdit"), 0, 4);
    AutoResetChannelErrorEdit->setText(QStringLiteral("0"));
    AutoResetChannelErrorEdit->hide();
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(QStringLiteral("Bit rate"), CANbitRateComboBox);
    form->addRow(QStringLiteral("Delay before no CAN data"), CANdelayBeforeNoCANdataEdit);
    form->addRow(QStringLiteral("Error reset ID (hex)"), CANresetChannelErrorIDedit);
    form->addRow(QStringLiteral("Error reset data byte"), CANresetChannelErrorDataCombo);
    form->addRow(QStringLiteral("Error reset bit mask (hex)"), CANresetChannelErrorBitMaskEdit);
    side->addWidget(setup);

    auto *enable = newGroup(c, QStringLiteral("CAN input enable"));
    auto *enableForm = new QFormLayout(enable);
    enableForm->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    CheckBoxCanInputEnable = newCheck(enable, QStringLiteral("CheckBoxCanInputEnable"),
                                      QStringLiteral("Enable CAN inputs by input"));
    ComboBoxInputTrigCAN_Input =
        newCombo(enable, QStringLiteral("ComboBoxInputTrigCAN_Input"), {}, TriggerChars);
    enableForm->addRow(CheckBoxCanInputEnable);
    enableForm->addRow(QStringLiteral("Input pin"), ComboBoxInputTrigCAN_Input);
    side->addWidget(enable);

    auto *buttons = new QHBoxLayout;
    const TransferButtons b =
        addTransferButtons(c, buttons, "BtnCanRead", "BtnCanUpload", "BtnCanInputDefault");
    BtnCanRead = b.read;
    BtnCanUpload = b.upload;
    BtnCanInputDefault = b.defaults;
    buttons->addStretch(1);
    side->addLayout(buttons);
    side->addStretch(1);
    top->addStretch(1);

    // The 32 names, four columns of eight.
    auto *names = newGroup(c, QStringLiteral("CAN input names"));
    auto *nameGrid = new QGridLayout(names);
    for (int n = 1; n <= CanInputCount; ++n) {
        const int column = (n - 1) / 8 * 2;
        const int row = (n - 1) % 8;
        LabelCanInputCh[n] = newLabel(names, numbered("LabelCanInputCh", n));
        LabelCanInputCh[n]->setFixedWidth(charsWidth(LabelCanInputCh[n], LabelChars - 2));
        EditCanInputName_ch[n] =
            newEdit(names, numbered("EditCanInputName_ch", n), NameLength, NameChars);
        EditCanInputName_ch[n]->setText(numbered("CAN ", n));
        LabelCanInputCh[n]->setText(numbered("", n) + ": " + EditCanInputName_ch[n]->text());
        nameGrid->addWidget(LabelCanInputCh[n], row, column);
        nameGrid->addWidget(EditCanInputName_ch[n], row, column + 1);
    }
    nameGrid->setColumnStretch(8, 1);
    v->addWidget(names);

    auto *monitor = newGroup(c, QStringLiteral("CAN Monitor"));
    auto *mv = new QVBoxLayout(monitor);
    auto *controls = new QHBoxLayout;
    QStringList monitorItems{QStringLiteral("Off"), QStringLiteral("Active messages"),
                             QStringLiteral("All Messages")};
    for (int n = 1; n <= CanInputCount; ++n)
        monitorItems << numbered("CAN ", n);
    CANmonitorEnableComboBox =
        newCombo(monitor, QStringLiteral("CANmonitorEnableComboBox"), monitorItems, NameChars);
    CANmonitorFileLogBtn =
        newCheck(monitor, QStringLiteral("CANmonitorFileLogBtn"), QStringLiteral("File log: "));
    CANmonitorFileLogNameEdit = newEdit(monitor, QStringLiteral("CANmonitorFileLogNameEdit"), 0, 0);
    CANmonitorFileLogNameEdit->setText(QStringLiteral("LogFile.txt"));
    CANmonitorFileLogNameBtn =
        newButton(monitor, QStringLiteral("CANmonitorFileLogNameBtn"), QStringLiteral("..."));
    CANmonitorFileLogNameBtn->setFixedWidth(charsWidth(CANmonitorFileLogNameBtn, 3));
    ClearLogBtn = newButton(monitor, QStringLiteral("ClearLogBtn"), QStringLiteral("Clear log"));
    controls->addWidget(caption(monitor, QStringLiteral("Enable")));
    controls->addWidget(CANmonitorEnableComboBox);
    controls->addSpacing(20);
    controls->addWidget(CANmonitorFileLogBtn);
    controls->addWidget(CANmonitorFileLogNameEdit, 1);
    controls->addWidget(CANmonitorFileLogNameBtn);
    controls->addSpacing(20);
    controls->addWidget(ClearLogBtn);
    mv->addLayout(controls);
    MemoCanMonitor = new QPlainTextEdit(monitor);
    MemoCanMonitor->setObjectName(QStringLiteral("MemoCanMonitor"));
    MemoCanMonitor->setReadOnly(true);
    MemoCanMonitor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont mono(QStringLiteral("Courier New"));
    mono.setStyleHint(QFont::TypeWriter);
    mono.setBold(true);
    mono.setPixelSize(13);
    MemoCanMonitor->setFont(mono);
    MemoCanMonitor->setMinimumHeight(180);
    mv->addWidget(MemoCanMonitor);
    v->addWidget(monitor);
}

void TConfigPagesUi::setupVirtualInputsPage(QWidget *page)
{
    QWidget *c = scrollContent(page, "VirtualInputsPage");
    auto *v = new QVBoxLayout(c);
    auto *top = new QHBoxLayout;
    v->addLayout(top);

    auto *listGroup = newGroup(c, QStringLiteral("Virtual inputs"));
    auto *listLayout = new QVBoxLayout(listGroup);
    ListBoxVIRTUAL_INPUT = newList(listGroup, QStringLiteral("ListBoxVIRTUAL_INPUT"), NameChars);
    for (int n = 1; n <= VirtualInputCount; ++n)
        ListBoxVIRTUAL_INPUT->addItem(numbered("Virtual ", n));
    ListBoxVIRTUAL_INPUT->setCurrentRow(0);
    listLayout->addWidget(ListBoxVIRTUAL_INPUT);
    top->addWidget(listGroup);

    // Three sources, each with its NOT box and delay, joined by two operators.
    auto *logic = newGroup(c, QStringLiteral("Logic"));
    auto *grid = new QGridLayout(logic);
    grid->addWidget(caption(logic, QStringLiteral("Source")), 0, 1);
    grid->addWidget(caption(logic, QStringLiteral("Delay (s)")), 0, 3);
    const QStringList operators{QStringLiteral("AND"), QStringLiteral("OR"), QStringLiteral("NOR")};
    for (int s = 1; s <= VirtualSourceCount; ++s) {
        const int row = 2 * s - 1;
        ComboBoxVirtuel_1_Channel_[s] =
            newCombo(logic, numbered("ComboBoxVirtuel_1_Channel_", s), {}, NameChars + 2);
        CheckBoxVirtuel_Channel_[s] =
            newCheck(logic, numbered("CheckBoxVirtuel_Channel_", s), QStringLiteral("NOT"));
        EditDelayTime[s] = newEdit(
            logic, s == 1 ? QStringLiteral("EditDelayTime") : numbered("EditDelayTime", s), 4, 5);
        grid->addWidget(caption(logic, numbered("Source ", s)), row, 0);
        grid->addWidget(ComboBoxVirtuel_1_Channel_[s], row, 1);
        grid->addWidget(CheckBoxVirtuel_Channel_[s], row, 2);
        grid->addWidget(EditDelayTime[s], row, 3);
        if (s < VirtualSourceCount) {
            ComboBoxVirtuel_1_operator_[s] =
                newCombo(logic, numbered("ComboBoxVirtuel_1_operator_", s), operators, 5);
            grid->addWidget(ComboBoxVirtuel_1_operator_[s], row + 1, 1, Qt::AlignHCenter);
        }
    }
    grid->setRowStretch(2 * VirtualSourceCount, 1);
    top->addWidget(logic);

    const TransferButtons b = addTransferButtons(c, top, "Button3", "Button2", "Button4");
    Button3 = b.read;
    Button2 = b.upload;
    Button4 = b.defaults;
    top->addStretch(1);

    auto *names = newGroup(c, QStringLiteral("Virtual input names"));
    auto *nameGrid = new QGridLayout(names);
    for (int n = 1; n <= VirtualInputCount; ++n) {
        const int column = (n - 1) / 5 * 2;
        const int row = (n - 1) % 5;
        EditInputName_Virtuel_ch[n] =
            newEdit(names, numbered("EditInputName_Virtuel_ch", n), NameLength, NameChars);
        EditInputName_Virtuel_ch[n]->setText(numbered("Virtual ", n));
        nameGrid->addWidget(caption(names, numbered("", n) + ":"), row, column, Qt::AlignRight);
        nameGrid->addWidget(EditInputName_Virtuel_ch[n], row, column + 1);
    }
    nameGrid->setColumnStretch(8, 1);
    v->addWidget(names);
    v->addStretch(1);
}

void TConfigPagesUi::setupCanExportPage(QWidget *page)
{
    QWidget *c = scrollContent(page, "CanExportPage");
    auto *v = new QVBoxLayout(c);

    // Enable box, CAN ID and refresh time of one export, in one line.
    const auto exportHeader = [&](QGroupBox *group, int e) {
        auto *h = new QHBoxLayout;
        CheckBoxCAN_Export[e] =
            newCheck(group, numbered("CheckBoxCAN_Export", e), QStringLiteral("Enabled"));
        EditCAN_ID_Export[e] = newHexEdit(group, numbered("EditCAN_ID_Export", e), 3);
        Edit_REFRESS_Export[e] = newEdit(group, numbered("Edit_REFRESS_Export", e), 0, 6);
        // What a settings file without the export gives: a fresh start saves and uploads.
        EditCAN_ID_Export[e]->setText(QStringLiteral("000"));
        Edit_REFRESS_Export[e]->setText(QStringLiteral("100"));
        h->addWidget(CheckBoxCAN_Export[e]);
        h->addSpacing(16);
        h->addWidget(caption(group, QStringLiteral("CAN ID (hex)")));
        h->addWidget(EditCAN_ID_Export[e]);
        h->addSpacing(16);
        h->addWidget(caption(group, QStringLiteral("Refresh time")));
        h->addWidget(Edit_REFRESS_Export[e]);
        return h;
    };

    // Export 1: one output per data byte; the row counter says how many of
    // bytes 7..18 are sent.
    auto *export1 = newGroup(c, QStringLiteral("CAN export 1"));
    auto *e1 = new QVBoxLayout(export1);
    QHBoxLayout *h1 = exportHeader(export1, 1);
    EditCAN_EXPORT_1_RowCounter =
        newEdit(export1, QStringLiteral("EditCAN_EXPORT_1_RowCounter"), 0, 4);
    EditCAN_EXPORT_1_RowCounter->setText(QStringLiteral("12"));
    h1->addSpacing(16);
    h1->addWidget(caption(export1, QStringLiteral("Rows")));
    h1->addWidget(EditCAN_EXPORT_1_RowCounter);
    h1->addStretch(1);
    e1->addLayout(h1);
    auto *byteGrid = new QGridLayout;
    constexpr int BytesPerRow = 9;
    for (int n = 1; n <= CanExport1ByteCount; ++n) {
        const int row = (n - 1) / BytesPerRow * 2;
        const int column = (n - 1) % BytesPerRow;
        ComboBox_CAN_Export1_DataByte[n] =
            newCombo(export1, numbered("ComboBox_CAN_Export1_DataByte", n), {}, BitComboChars);
        byteGrid->addWidget(caption(export1, numbered("Byte ", n)), row, column);
        byteGrid->addWidget(ComboBox_CAN_Export1_DataByte[n], row + 1, column);
    }
    byteGrid->setColumnStretch(BytesPerRow, 1);
    e1->addLayout(byteGrid);
    v->addWidget(export1);

    // Exports 2 to 4: one combo per bit, rows of data bytes, bit 7 on the left.
    int index = 0;
    for (int e = 2; e <= CanExportCount; ++e) {
        const int count = e == 4 ? 64 : 34;
        auto *group = newGroup(c, numbered("CAN export ", e));
        auto *ev = new QVBoxLayout(group);
        QHBoxLayout *h = exportHeader(group, e);
        h->addStretch(1);
        ev->addLayout(h);
        auto *grid = new QGridLayout;
        for (int bit = 7; bit >= 0; --bit)
            grid->addWidget(caption(group, numbered("Bit ", bit)), 0, 8 - bit);
        for (int i = 0; i < count; ++i, ++index) {
            const int byte = i / 8;
            const int bit = 7 - i % 8;
            if (i % 8 == 0)
                grid->addWidget(caption(group, numbered("Data byte ", byte)), byte + 1, 0);
            QComboBox *combo = newCombo(
                group,
                QStringLiteral("ComboBox_CAN_Export%1_DataByte%2_Bit%3").arg(e).arg(byte).arg(bit),
                {}, BitComboChars);
            CanExportBits[static_cast<std::size_t>(index)] = combo;
            grid->addWidget(combo, byte + 1, 8 - bit);
        }
        grid->setColumnStretch(9, 1);
        ev->addLayout(grid);
        v->addWidget(group);
    }

    auto *export5 = newGroup(c, QStringLiteral("CAN export 5"));
    auto *h5 = new QHBoxLayout(export5);
    CANexport5BaseIDEdit = newHexEdit(export5, QStringLiteral("CANexport5BaseIDEdit"), 3);
    CANexport5IntervalEdit = newEdit(export5, QStringLiteral("CANexport5IntervalEdit"), 0, 5);
    h5->addWidget(caption(export5, QStringLiteral("Base ID (hex)")));
    h5->addWidget(CANexport5BaseIDEdit);
    h5->addSpacing(16);
    h5->addWidget(caption(export5, QStringLiteral("Interval")));
    h5->addWidget(CANexport5IntervalEdit);
    h5->addStretch(1);
    v->addWidget(export5);
    v->addStretch(1);
}

void TConfigPagesUi::setupOutputsPage(QWidget *page)
{
    QWidget *c = scrollContent(page, "OutputsPage");
    auto *v = new QVBoxLayout(c);

    auto *head = new QHBoxLayout;
    v->addLayout(head);
    auto *unit = newGroup(c, QStringLiteral("Unit"));
    auto *unitRow = new QHBoxLayout(unit);
    EditBoxName = newEdit(unit, QStringLiteral("EditBoxName"), LongNameLength, LongNameLength + 1);
    CheckBoxPWM_enable1 =
        newCheck(unit, QStringLiteral("CheckBoxPWM_enable1"), QStringLiteral("PWM 1 enable"));
    CheckBoxPWM_enable2 =
        newCheck(unit, QStringLiteral("CheckBoxPWM_enable2"), QStringLiteral("PWM 2 enable"));
    unitRow->addWidget(caption(unit, QStringLiteral("Unit name")));
    unitRow->addWidget(EditBoxName);
    unitRow->addSpacing(20);
    unitRow->addWidget(CheckBoxPWM_enable1);
    unitRow->addWidget(CheckBoxPWM_enable2);
    head->addWidget(unit, 0, Qt::AlignTop);
    auto *buttons = new QHBoxLayout;
    const TransferButtons b =
        addTransferButtons(c, buttons, "Button5", "Button6", "BtnDefaultValue", Qt::Horizontal);
    Button5 = b.read;
    Button6 = b.upload;
    BtnDefaultValue = b.defaults;
    head->addLayout(buttons);
    head->addStretch(1);

    auto *group = newGroup(c, QStringLiteral("Outputs"));
    auto *grid = new QGridLayout(group);
    grid->setVerticalSpacing(3);
    const QStringList headers{QString(),
                              QStringLiteral("Name"),
                              QStringLiteral("Trigger source"),
                              QStringLiteral("Level"),
                              QString(),
                              QStringLiteral("Delay\n(s)"),
                              QStringLiteral("On time\n(s)"),
                              QStringLiteral("Max\ncurrent (A)"),
                              QStringLiteral("Peak\ntime (s)"),
                              QStringLiteral("Connector")};
    for (int column = 0; column < headers.size(); ++column)
        if (!headers[column].isEmpty())
            grid->addWidget(caption(group, headers[column]), 0, column, Qt::AlignBottom);

    int row = 1;
    for (int n = 1; n <= OutputCount; ++n) {
        if (n == 1 || n == HighPowerCount + 1) {
            auto *section = caption(group, n == 1 ? QStringLiteral("High power channels")
                                                  : QStringLiteral("Low power channels"));
            QFont bold = section->font();
            bold.setBold(true);
            section->setFont(bold);
            grid->addWidget(section, row++, 0, 1, 3);
        }
        const bool high = n <= HighPowerCount;
        QLabel *channel =
            newLabel(group, numbered(high ? "LabelHighPowerCh" : "LabelLowPowerCh", n),
                     numbered("", n) + ": ");
        channel->setFixedWidth(charsWidth(channel, LabelChars));
        (high ? LabelHighPowerCh[n] : LabelLowPowerCh[n]) = channel;
        EditOutputName_ch[n] =
            newEdit(group, numbered("EditOutputName_ch", n), NameLength, NameChars);
        ComboBoxInputTrigCH[n] =
            newCombo(group, numbered("ComboBoxInputTrigCH", n), {}, TriggerChars);
        ComboBoxTrigLevelCH[n] =
            newCombo(group, numbered("ComboBoxTrigLevelCH", n), triggerLevels(), 5);
        LabelInputpin[n] = newLabel(group, numbered("LabelInputpin", n));
        LabelInputpin[n]->setFixedWidth(charsWidth(LabelInputpin[n], 17));
        EditDelayCH[n] = newEdit(group, numbered("EditDelayCH", n), 0, TenthsChars);
        EditDelayCH[n]->setText(QStringLiteral("0.0"));
        EditOnTimeCH[n] = newEdit(group, numbered("EditOnTimeCH", n), 0, TenthsChars + 1);
        EditOnTimeCH[n]->setText(QStringLiteral("CONT."));
        OutputLabel[n] = newLabel(group, numbered("OutputLabel", n));
        grid->addWidget(channel, row, 0);
        grid->addWidget(EditOutputName_ch[n], row, 1);
        grid->addWidget(ComboBoxInputTrigCH[n], row, 2);
        grid->addWidget(ComboBoxTrigLevelCH[n], row, 3);
        grid->addWidget(LabelInputpin[n], row, 4);
        grid->addWidget(EditDelayCH[n], row, 5);
        grid->addWidget(EditOnTimeCH[n], row, 6);
        if (high) {
            EditMaxCurrentCH[n] = newEdit(group, numbered("EditMaxCurrentCH", n), 0, TenthsChars);
            EditMaxCurrentCH[n]->setText(QStringLiteral("10.0"));
            EditCurrentPeakTimeCH[n] =
                newEdit(group, numbered("EditCurrentPeakTimeCH", n), 0, TenthsChars);
            EditCurrentPeakTimeCH[n]->setText(QStringLiteral("10.0"));
            grid->addWidget(EditMaxCurrentCH[n], row, 7);
            grid->addWidget(EditCurrentPeakTimeCH[n], row, 8);
        }
        grid->addWidget(OutputLabel[n], row, 9);
        ++row;
    }
    grid->setColumnStretch(10, 1);
    v->addWidget(group);
    v->addStretch(1);
}

void TConfigPagesUi::setupFlashWiperSequencePage(QWidget *page)
{
    QWidget *c = scrollContent(page, "FlashWiperSequencePage");
    auto *h = new QHBoxLayout(c);

    // Flash: the list of the five functions selects the record that the editor shows.
    auto *flash = newGroup(c, QStringLiteral("Flash"));
    auto *fh = new QHBoxLayout(flash);
    ListBoxFlashNo = newList(flash, QStringLiteral("ListBoxFlashNo"), 12);
    for (int n = 1; n <= FlashCount; ++n)
        ListBoxFlashNo->addItem(numbered("Flash ", n));
    ListBoxFlashNo->setCurrentRow(0);
    ListBoxFlashNo->setFixedHeight(ListBoxFlashNo->sizeHintForRow(0) * FlashCount + 8);
    fh->addWidget(ListBoxFlashNo, 0, Qt::AlignTop);
    GroupBoxFlash = newGroup(flash, QStringLiteral("Flash 1"), QStringLiteral("GroupBoxFlash"));
    auto *ff = new QFormLayout(GroupBoxFlash);
    EditFlashName = newEdit(GroupBoxFlash, QStringLiteral("EditFlashName"), NameLength, NameChars);
    CheckBoxFlash =
        newCheck(GroupBoxFlash, QStringLiteral("CheckBoxFlash"), QStringLiteral("Continues"));
    ComboBoxFlashInputTrig =
        newCombo(GroupBoxFlash, QStringLiteral("ComboBoxFlashInputTrig"), {}, TriggerChars);
    EditFlashOnTime = newEdit(GroupBoxFlash, QStringLiteral("EditFlashOnTime"), 0, 6);
    EditFlashOffTime = newEdit(GroupBoxFlash, QStringLiteral("EditFlashOffTime"), 0, 6);
    EditFlashDuration = newEdit(GroupBoxFlash, QStringLiteral("EditFlashDuration"), 0, 6);
    CheckListBoxFlashOutputList =
        newList(GroupBoxFlash, QStringLiteral("CheckListBoxFlashOutputList"), NameChars, true);
    CheckListBoxFlashOutputList->setMinimumHeight(220);
    ff->addRow(QStringLiteral("Name"), EditFlashName);
    ff->addRow(QString(), CheckBoxFlash);
    ff->addRow(QStringLiteral("Trigger"), ComboBoxFlashInputTrig);
    ff->addRow(QStringLiteral("On time (ms)"), EditFlashOnTime);
    ff->addRow(QStringLiteral("Off time (ms)"), EditFlashOffTime);
    ff->addRow(QStringLiteral("Duration (ms)"), EditFlashDuration);
    ff->addRow(QStringLiteral("Outputs (max 4)"), CheckListBoxFlashOutputList);
    fh->addWidget(GroupBoxFlash);
    h->addWidget(flash, 0, Qt::AlignTop);

    auto *right = new QVBoxLayout;
    h->addLayout(right);
    auto *wiper = newGroup(c, QStringLiteral("Wiper"));
    auto *wf = new QGridLayout(wiper);
    const auto trigger = [&](const char *name) {
        return newCombo(wiper, QLatin1String(name), {}, TriggerChars);
    };
    WiperLowSpeedInputComboBox = trigger("WiperLowSpeedInputComboBox");
    WiperHighSpeedInputComboBox = trigger("WiperHighSpeedInputComboBox");
    WiperIntervalInputComboBox = trigger("WiperIntervalInputComboBox");
    WiperWashInputComboBox = trigger("WiperWashInputComboBox");
    WiperHomeParkInputComboBox = trigger("WiperHomeParkInputComboBox");
    WiperHomeParkILevelComboBox = newCombo(wiper, QStringLiteral("WiperHomeParkILevelComboBox"),
                                           {QStringLiteral("On"), QStringLiteral("Off")}, 4);
    WiperIntervalTimeEdit = newEdit(wiper, QStringLiteral("WiperIntervalTimeEdit"), 0, 5);
    WiperWashTimeEdit = newEdit(wiper, QStringLiteral("WiperWashTimeEdit"), 0, 5);
    WiperIntervalTimeEdit->setText(QStringLiteral("30"));
    WiperWashTimeEdit->setText(QStringLiteral("50"));
    wf->addWidget(caption(wiper, QStringLiteral("Low speed input")), 0, 0);
    wf->addWidget(WiperLowSpeedInputComboBox, 0, 1);
    wf->addWidget(caption(wiper, QStringLiteral("High speed input")), 1, 0);
    wf->addWidget(WiperHighSpeedInputComboBox, 1, 1);
    wf->addWidget(caption(wiper, QStringLiteral("Interval input")), 2, 0);
    wf->addWidget(WiperIntervalInputComboBox, 2, 1);
    wf->addWidget(caption(wiper, QStringLiteral("Interval time")), 2, 2);
    wf->addWidget(WiperIntervalTimeEdit, 2, 3);
    wf->addWidget(caption(wiper, QStringLiteral("Wash input")), 3, 0);
    wf->addWidget(WiperWashInputComboBox, 3, 1);
    wf->addWidget(caption(wiper, QStringLiteral("Wash time")), 3, 2);
    wf->addWidget(WiperWashTimeEdit, 3, 3);
    wf->addWidget(caption(wiper, QStringLiteral("Home park input")), 4, 0);
    wf->addWidget(WiperHomeParkInputComboBox, 4, 1);
    wf->addWidget(caption(wiper, QStringLiteral("Home park level")), 4, 2);
    wf->addWidget(WiperHomeParkILevelComboBox, 4, 3);
    wf->setColumnStretch(4, 1);
    right->addWidget(wiper);

    auto *sequences = newGroup(c, QStringLiteral("Sequences"));
    auto *sg = new QGridLayout(sequences);
    sg->addWidget(caption(sequences, QStringLiteral("Name")), 0, 1);
    sg->addWidget(caption(sequences, QStringLiteral("Trigger")), 0, 2);
    sg->addWidget(caption(sequences, QStringLiteral("Type")), 0, 3);
    const QStringList types{QStringLiteral("Not in use"), QStringLiteral("Toggle"),
                            QStringLiteral("3 step"), QStringLiteral("4 step")};
    for (int k = 1; k <= SequenceCount; ++k) {
        SequenceNameEdit[k] =
            newEdit(sequences, numbered("SequenceNameEdit", k), LongNameLength, LongNameLength + 1);
        SequenceTriggerComboBox[k] =
            newCombo(sequences, numbered("SequenceTriggerComboBox", k), {}, TriggerChars);
        SequenceTypeComboBox[k] =
            newCombo(sequences, numbered("SequenceTypeComboBox", k), types, 9);
        SequenceTypeComboBox[k]->setProperty("tag", k);
        SequenceTypeInfoLabel[k] = newLabel(sequences, numbered("SequenceTypeInfoLabel", k));
        SequenceTypeInfoLabel[k]->setMinimumWidth(charsWidth(SequenceTypeInfoLabel[k], 24));
        sg->addWidget(caption(sequences, numbered("Sequence ", k)), k, 0);
        sg->addWidget(SequenceNameEdit[k], k, 1);
        sg->addWidget(SequenceTriggerComboBox[k], k, 2);
        sg->addWidget(SequenceTypeComboBox[k], k, 3);
        sg->addWidget(SequenceTypeInfoLabel[k], k + SequenceCount, 1, 1, 3);
    }
    // The step patterns below the rows, one line each, so the rows stay narrow.
    for (int k = 1; k <= SequenceCount; ++k)
        sg->addWidget(caption(sequences, numbered("Steps ", k)), k + SequenceCount, 0);
    sg->setColumnStretch(4, 1);
    right->addWidget(sequences);
    right->addStretch(1);
    h->addStretch(1);
}

void TConfigPagesUi::setupLowBatteryPage(QWidget *page)
{
    QWidget *c = scrollContent(page, "LowBatteryPage");
    auto *h = new QHBoxLayout(c);
    auto *levels = newGroup(c, QStringLiteral("Battery voltage"));
    auto *form = new QFormLayout(levels);
    EditLowVoltageTrig = newEdit(levels, QStringLiteral("EditLowVoltageTrig"), 4, 5);
    EditUpperVoltageTrig = newEdit(levels, QStringLiteral("EditUpperVoltageTrig"), 4, 5);
    // No level, as a settings file without one gives.
    EditLowVoltageTrig->setText(QStringLiteral("---"));
    EditUpperVoltageTrig->setText(QStringLiteral("---"));
    form->addRow(QStringLiteral("Switch off below (V)"), EditLowVoltageTrig);
    form->addRow(QStringLiteral("Switch on again above (V)"), EditUpperVoltageTrig);
    h->addWidget(levels, 0, Qt::AlignTop);
    auto *list = newGroup(c, QStringLiteral("Outputs switched off at low battery (max 12)"));
    auto *lv = new QVBoxLayout(list);
    CheckListBoxLowBatt = newList(list, QStringLiteral("CheckListBoxLowBatt"), NameChars, true);
    CheckListBoxLowBatt->setMinimumHeight(480);
    lv->addWidget(CheckListBoxLowBatt);
    h->addWidget(list, 0, Qt::AlignTop);
    h->addStretch(1);
}

void TConfigPagesUi::setupStartKillPage(QWidget *page)
{
    QWidget *c = scrollContent(page, "StartKillPage");
    auto *h = new QHBoxLayout(c);
    const auto buttonGroup = [&](const QString &title, const char *comboName, const char *listName,
                                 QComboBox *&combo, QListWidget *&list) {
        auto *group = newGroup(c, title);
        auto *form = new QFormLayout(group);
        combo = newCombo(group, QLatin1String(comboName), {}, TriggerChars);
        list = newList(group, QLatin1String(listName), NameChars, true);
        list->setMinimumHeight(480);
        form->addRow(QStringLiteral("Input"), combo);
        h->addWidget(group, 0, Qt::AlignTop);
        return form;
    };
    QFormLayout *start = buttonGroup(QStringLiteral("Start button"), "ComboBoxInputTrigStartButton",
                                     "CheckListBoxStartButton", ComboBoxInputTrigStartButton,
                                     CheckListBoxStartButton);
    start->addRow(QStringLiteral("Outputs (max 14)"), CheckListBoxStartButton);
    QFormLayout *kill =
        buttonGroup(QStringLiteral("Kill button"), "ComboBoxInputTrigKillButton",
                    "CheckListBoxKillButton", ComboBoxInputTrigKillButton, CheckListBoxKillButton);
    KillInputDelayEdit =
        newEdit(CheckListBoxKillButton->parentWidget(), QStringLiteral("KillInputDelayEdit"), 0, 5);
    KillInputDelayEdit->setText(QStringLiteral("0"));
    kill->addRow(QStringLiteral("Input delay"), KillInputDelayEdit);
    kill->addRow(QStringLiteral("Outputs (max 14)"), CheckListBoxKillButton);
    h->addStretch(1);
}

void TConfigPagesUi::setupLowCurrentPage(QWidget *page)
{
    QWidget *c = scrollContent(page, "LowCurrentPage");
    auto *h = new QHBoxLayout(c);
    auto *group = newGroup(c, QStringLiteral("Low current detection"));
    auto *grid = new QGridLayout(group);
    grid->addWidget(caption(group, QStringLiteral("Channel")), 0, 0, 1, 2);
    grid->addWidget(caption(group, QStringLiteral("Low current (A)")), 0, 2);
    grid->addWidget(caption(group, QStringLiteral("Low current time (s)")), 0, 3);
    for (int n = 1; n <= HighPowerCount; ++n) {
        LabelHighPowerCh_[n] = newLabel(group, numbered("LabelHighPowerCh_", n));
        LabelHighPowerCh_[n]->setFixedWidth(charsWidth(LabelHighPowerCh_[n], LabelChars));
        EditLowCurrentCH[n] = newEdit(group, numbered("EditLowCurrentCH", n), 0, TenthsChars);
        EditLowCurrentCH[n]->setText(QStringLiteral("0.0"));
        EditLowCurrentTimeCH[n] =
            newEdit(group, numbered("EditLowCurrentTimeCH", n), 0, TenthsChars);
        EditLowCurrentTimeCH[n]->setText(QStringLiteral("0.0"));
        grid->addWidget(caption(group, numbered("", n) + ":"), n, 0);
        grid->addWidget(LabelHighPowerCh_[n], n, 1);
        grid->addWidget(EditLowCurrentCH[n], n, 2);
        grid->addWidget(EditLowCurrentTimeCH[n], n, 3);
    }
    h->addWidget(group, 0, Qt::AlignTop);
    h->addStretch(1);
}

void TConfigPagesUi::setupSocketInfoPage(QWidget *page)
{
    QWidget *c = scrollContent(page, "SocketInfoPage");
    auto *h = new QHBoxLayout(c);

    auto *inputs = newGroup(c, QStringLiteral("Inputs"));
    auto *ig = new QGridLayout(inputs);
    for (int n = 1; n <= InputCount; ++n) {
        InputLabelB[n] = newLabel(inputs, QStringLiteral("InputLabel%1B").arg(n));
        ig->addWidget(caption(inputs, numbered("Input ", n)), n - 1, 0);
        ig->addWidget(InputLabelB[n], n - 1, 1);
    }
    h->addWidget(inputs, 0, Qt::AlignTop);

    auto *outputs = newGroup(c, QStringLiteral("Outputs"));
    auto *og = new QGridLayout(outputs);
    og->setHorizontalSpacing(12);
    for (int n = 1; n <= OutputCount; ++n) {
        const bool high = n <= HighPowerCount;
        const int row = high ? n - 1 : n - HighPowerCount - 1;
        const int column = high ? 0 : 2;
        OutputLabelB[n] = newLabel(outputs, QStringLiteral("OutputLabel%1B").arg(n));
        og->addWidget(caption(outputs, numbered("Output ", n)), row, column);
        og->addWidget(OutputLabelB[n], row, column + 1);
    }
    h->addWidget(outputs, 0, Qt::AlignTop);

    auto *other = newGroup(c, QStringLiteral("Other"));
    auto *xg = new QGridLayout(other);
    int row = 0;
    const auto add = [&](const QString &text, const QString &name) {
        QLabel *label = newLabel(other, name);
        xg->addWidget(caption(other, text), row, 0);
        xg->addWidget(label, row, 1);
        ++row;
        return label;
    };
    for (int n = 1; n <= 3; ++n)
        SocketInfoCAN[n] = add(numbered("CAN ", n), numbered("SocketInfoCAN", n));
    SocketInfoWarningLightReset =
        add(QStringLiteral("Warning light reset"), QStringLiteral("SocketInfoWarningLightReset"));
    SocketInfoGND2 = add(QStringLiteral("GND 2"), QStringLiteral("SocketInfoGND2"));
    SocketInfoGND4 = add(QStringLiteral("GND 4"), QStringLiteral("SocketInfoGND4"));
    for (int n = 1; n <= 4; ++n)
        SocketInfoUSB[n] = add(numbered("USB ", n), numbered("SocketInfoUSB", n));
    for (int n = 1; n <= 2; ++n)
        SocketInfoCurrentSum[n] =
            add(numbered("Current sum ", n), numbered("SocketInfoCurrentSum", n));
    SocketInfoGND5 = add(QStringLiteral("GND 5"), QStringLiteral("SocketInfoGND5"));
    SocketInfoGND6 = add(QStringLiteral("GND 6"), QStringLiteral("SocketInfoGND6"));
    h->addWidget(other, 0, Qt::AlignTop);
    h->addStretch(1);
}
