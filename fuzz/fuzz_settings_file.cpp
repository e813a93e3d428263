// The settings file on any text: loading it never fails unsafely, and what
// the pages then hold saves, loads and saves again to the same text.
#include "fuzz/FuzzSupport.h"

#include "config/ConfigStartup.h"
#include "config/SettingsFile.h"
#include "config/Settingsunit.h"
#include "forms/ConfigPagesUi.h"

#include <QComboBox>
#include <QWidget>

#include <array>

using fuzzsupport::check;

namespace {

// The configuration pages as the main window starts them up.
struct Pages
{
    QWidget root;
    TConfigPagesUi ui;
    std::array<QComboBox *, 132> canExportBitCombos{};

    Pages()
    {
        QWidget *pages[TConfigPagesUi::PageCount];
        for (auto &page : pages)
            page = new QWidget(&root);
        ui.setupUi(pages);
        ConfigConstructorDefaults(ui);
        ConfigFormCreate(ui, canExportBitCombos);
        ConfigAllFormsCreated(ui);
        ConfigPages = &ui;
        // The lists of outputs fill from the first settings that come in, as
        // after the main window's first refresh.
        QByteArray defaults;
        SaveSettingsText(defaults);
        LoadSettingsText(defaults);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzzsupport::ensureApplication();
    static Pages pages;

    LoadSettingsText(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    QByteArray first;
    if (!SaveSettingsText(first))
        return 0; // refused with a message naming the field: nothing was written
    check(bool(LoadSettingsText(first)), "a saved file loads");
    QByteArray second;
    check(bool(SaveSettingsText(second)), "a loaded saved file saves");
    check(first == second, "load and save again gives the same file");
    return 0;
}
