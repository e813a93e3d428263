#include "link/USB_Unit.h"
#include "link/UsbSelectUnit.h"

#include "support/FakeDriver.h"

#include <QListWidget>
#include <QTimer>

#include <gtest/gtest.h>

using namespace devlink;
using testsupport::FakeBackend;

namespace {

struct SelectRig
{
    std::shared_ptr<FakeBackend> backend = std::make_shared<FakeBackend>();
    d2xx::Driver driver;
    struct NullClient : UsbThreadClient
    {
        void RxFrameByte(std::uint8_t) override {}
        void RxBootByte(std::uint8_t) override {}
        void DeviceRemoved() override {}
        void DeviceArrived() override {}
        void TraceLine(const std::string &, std::uint32_t) override {}
    } client;
    UsbThread usb{driver, client, {}};
    QStringList connected;
    TUSB_SelectForm form{driver, [this] { return &usb; },
                         [this](const QString &d) { connected << d; }};
    SelectRig()
    {
        driver.addBackend(backend);
        usb.setAutoStart(false);
    }
    QStringList shown() const
    {
        QStringList s;
        for (int i = 0; i < form.ListBox1->count(); ++i)
            s << form.ListBox1->item(i)->text();
        return s;
    }
};

} // namespace

TEST(UsbSelect, ActivationClosesTheDeviceAndListsWhatIsAttached)
{
    SelectRig r;
    ASSERT_EQ(r.usb.Open("Unit A"), 1);
    r.form.FormActivate();
    EXPECT_EQ(r.usb.linkState(), LinkClosed);
    EXPECT_EQ(r.shown(), (QStringList{"Unit A", "Unit B"}));
    EXPECT_EQ(r.form.ListBox1->currentRow(), 0);
    EXPECT_TRUE(r.form.TimerUsbList->isActive());
    r.form.FormClose();
    EXPECT_FALSE(r.form.TimerUsbList->isActive());
}

// The list is replaced only when the number of devices changes.
TEST(UsbSelect, RefreshFollowsTheDeviceCount)
{
    SelectRig r;
    r.form.FormActivate();
    r.form.ListBox1->setCurrentRow(1);
    r.backend->names = {"Unit A", "Unit C"};
    r.form.TimerUsbListTimer();
    EXPECT_EQ(r.shown(), (QStringList{"Unit A", "Unit B"})) << "same count: old names stay";
    EXPECT_EQ(r.form.ListBox1->currentRow(), 1);
    r.backend->names = {"Unit A", "Unit C", "Unit D"};
    r.form.TimerUsbListTimer();
    EXPECT_EQ(r.shown(), (QStringList{"Unit A", "Unit C", "Unit D"}));
    EXPECT_EQ(r.form.ListBox1->currentRow(), 0);
}

TEST(UsbSelect, OkConnectsTheSelectedEntryAndCancelLeavesTheDeviceClosed)
{
    SelectRig r;
    r.form.FormActivate();
    r.form.ListBox1->setCurrentRow(1);
    r.form.BtnOpenClick();
    EXPECT_EQ(r.connected, QStringList{"Unit B"});

    SelectRig empty;
    empty.backend->names.clear();
    empty.form.FormActivate();
    empty.form.BtnOpenClick();
    EXPECT_TRUE(empty.connected.isEmpty()) << "no device: OK only closes the window";

    SelectRig cancel;
    ASSERT_EQ(cancel.usb.Open("Unit A"), 1);
    cancel.form.FormActivate();
    cancel.form.BtnCancelClick();
    EXPECT_TRUE(cancel.connected.isEmpty());
    EXPECT_EQ(cancel.usb.linkState(), LinkClosed);
}
