// Controls of the calibration window: one row per high-power channel.
#pragma once

#include <array>

class QCheckBox;
class QDialog;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class TCalibrationFormUi
{
public:
    static constexpr int Channels = 18;
    template <typename T> using PerChannel = std::array<T *, Channels>; // channel 1 at index 0

    PerChannel<QLabel> Label_Amp_ch{};
    PerChannel<QLabel> Label_Ratio{};
    PerChannel<QLabel> Label_AD{};
    PerChannel<QLabel> Label_AD_Offset{};
    PerChannel<QLabel> ChannelUpdateLabel{};
    PerChannel<QLineEdit> Edit_Current{};
    PerChannel<QPushButton> Btn_NewRation{};
    PerChannel<QLineEdit> EditNewRation{};

    QCheckBox *CheckBoxOffset = nullptr;
    QCheckBox *CheckBoxRation = nullptr;
    QPushButton *BtnUpload_AD_Offset = nullptr;
    QLabel *UploadADoffsetOKlabel = nullptr;
    QPushButton *BtnStoreRation = nullptr;
    QLabel *StoreCalibrationOKlabel = nullptr;
    QLineEdit *CalibrateChannelEdit = nullptr;
    QPushButton *ChannelDownBtn = nullptr;
    QPushButton *ChannelUpBtn = nullptr;
    QPushButton *ChannelUpdateBtn = nullptr;
    QPushButton *BtnOK = nullptr;
    QPlainTextEdit *Memo1 = nullptr;
    QPlainTextEdit *Memo2 = nullptr;

    void setupUi(QDialog *form);
};
