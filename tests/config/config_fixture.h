// The configuration pages on ten bare page widgets, started up as the main
// window does, and made the pages the settings accessors work on.
#pragma once

#include "config/ConfigStartup.h"
#include "config/Settingsunit.h"
#include "forms/ConfigPagesUi.h"

#include <QLineEdit>

#include <QWidget>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>

class ConfigPagesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::memset(CanInputTable.data(), 0, sizeof CanInputTable);
        std::memset(VirtualInputTable.data(), 0, sizeof VirtualInputTable);
        std::memset(FlashTable.data(), 0, sizeof FlashTable);
        QWidget *pages[TConfigPagesUi::PageCount];
        for (int i = 0; i < TConfigPagesUi::PageCount; ++i)
            pages[i] = new QWidget(root.get());
        ui.setupUi(pages);
        ConfigConstructorDefaults(ui);
        ConfigFormCreate(ui, canExportBitCombos);
        ConfigAllFormsCreated(ui);
        ConfigPages = &ui;
    }

    void TearDown() override { ConfigPages = nullptr; }

    std::unique_ptr<QWidget> root = std::make_unique<QWidget>();
    TConfigPagesUi ui;
    std::array<QComboBox *, 132> canExportBitCombos{};
};

// Numbers in the CAN export edits, which are empty at start-up: a save or an
// upload needs one in each.
inline void FillCanExportEdits(TConfigPagesUi &ui)
{
    for (int e = 1; e <= TConfigPagesUi::CanExportCount; ++e) {
        ui.EditCAN_ID_Export[static_cast<std::size_t>(e)]->setText(QStringLiteral("000"));
        ui.Edit_REFRESS_Export[static_cast<std::size_t>(e)]->setText(QStringLiteral("100"));
    }
    ui.EditCAN_EXPORT_1_RowCounter->setText(QStringLiteral("12"));
}
