// The Intel HEX reader against `srec_cat` on one generated file of 1 MB:
// 16 data bytes a record, extended linear address records every 64 KiB.
// Our reader reads the file into its image in this process; `srec_cat`
// reads it and writes the image to /dev/null as a program run. The fastest
// of several runs of each counts.
//
//   bench_hex [--srec-cat PATH] [--runs N]
//
// Prints a markdown table row: figure, measured, target. Without srec_cat
// on the path (package srecord) the row says so.
#include "tools/HexFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <random>
#include <string>

namespace {

constexpr std::size_t FileBytes = 1 << 20;

std::string hexRecord(unsigned count, unsigned address, unsigned type, const std::uint8_t *data)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string line = ":";
    unsigned sum = 0;
    auto put = [&](unsigned byte) {
        line += digits[(byte >> 4) & 0xF];
        line += digits[byte & 0xF];
        sum += byte;
    };
    put(count);
    put((address >> 8) & 0xFF);
    put(address & 0xFF);
    put(type);
    for (unsigned i = 0; i < count; ++i)
        put(data[i]);
    put((0x100 - (sum & 0xFF)) & 0xFF);
    return line + "\n";
}

// The file's text and the image size its data needs.
std::string generate(std::int32_t &imageSize)
{
    std::mt19937 rng(1);
    std::string text;
    unsigned address = 0;
    while (text.size() < FileBytes) {
        if (address % 0x10000 == 0) {
            const std::uint8_t upper[2] = {std::uint8_t(address >> 24), std::uint8_t(address >> 16)};
            text += hexRecord(2, 0, 4, upper);
        }
        std::uint8_t data[16];
        for (std::uint8_t &b : data)
            b = std::uint8_t(rng());
        text += hexRecord(16, address & 0xFFFF, 0, data);
        address += 16;
    }
    text += ":00000001FF\n";
    imageSize = std::int32_t(address);
    return text;
}

std::string fixed(double value, int decimals)
{
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                                 decimals);
    return std::string(buffer, r.ptr);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    int runs = 5;
    if (const qsizetype at = args.indexOf("--runs"); at > 0 && at + 1 < args.size())
        runs = std::max(1, args.at(at + 1).toInt());
    QString srecCat = QStandardPaths::findExecutable("srec_cat");
    if (const qsizetype at = args.indexOf("--srec-cat"); at > 0 && at + 1 < args.size())
        srecCat = args.at(at + 1);

    QTemporaryDir dir;
    std::int32_t imageSize = 0;
    const std::string text = generate(imageSize);
    const QString path = dir.path() + "/one-megabyte.hex";
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(text.data(), qint64(text.size())) < 0) {
            std::fputs("bench_hex: cannot write the HEX file\n", stderr);
            return 1;
        }
    }

    double ours = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        HEXFile image(imageSize, 0xFF);
        image.readFile(path.toStdString());
        ours = std::min(ours, double(t.nsecsElapsed()) / 1e6);
        if (image.getRangeEnd() != imageSize - 1) {
            std::fputs("bench_hex: the reader did not fill the image\n", stderr);
            return 1;
        }
    }

    // A binary file of the same size picked by mistake, without a line
    // break in it, is one faulty line: refused at once, with a short quote.
    const QString binaryPath = dir.path() + "/one-megabyte.bin";
    {
        std::string binary(FileBytes, '\0');
        std::mt19937 rng(2);
        for (char &c : binary) {
            c = static_cast<char>(rng());
            if (c == '\n')
                c = '\0';
        }
        QFile f(binaryPath);
        if (!f.open(QIODevice::WriteOnly) || f.write(binary.data(), qint64(binary.size())) < 0) {
            std::fputs("bench_hex: cannot write the binary file\n", stderr);
            return 1;
        }
    }
    double refused = 1e300;
    std::size_t messageLength = 0;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        HEXFile image(imageSize, 0xFF);
        try {
            image.readFile(binaryPath.toStdString());
        } catch (const ErrorMsg &e) {
            messageLength = e.describe().size();
        }
        refused = std::min(refused, double(t.nsecsElapsed()) / 1e6);
    }
    std::printf("| refusing a 1 MB binary file as a HEX file | %s ms, a message of %zu bytes | "
                "well under 1000 ms |\n",
                fixed(refused, 1).c_str(), messageLength);

    const std::string figure = "reading a 1 MB Intel HEX file, relative to srec_cat reading it";
    if (srecCat.isEmpty()) {
        std::printf("| %s | our reader %s ms; srec_cat not installed (package srecord) | at most "
                    "0.5 |\n",
                    figure.c_str(), fixed(ours, 1).c_str());
        return 0;
    }
    double theirs = 1e300;
    for (int i = 0; i < runs; ++i) {
        QProcess p;
        QElapsedTimer t;
        t.start();
        p.start(srecCat, {path, "-Intel", "-Output", "/dev/null", "-Binary"});
        if (!p.waitForFinished(60000) || p.exitCode() != 0) {
            std::fprintf(stderr, "bench_hex: srec_cat failed: %s\n",
                         p.readAllStandardError().constData());
            return 1;
        }
        theirs = std::min(theirs, double(t.nsecsElapsed()) / 1e6);
    }
    std::printf("| %s | %s (ours %s ms, srec_cat %s ms) | at most 0.5 |\n", figure.c_str(),
                fixed(ours / theirs, 2).c_str(), fixed(ours, 1).c_str(), fixed(theirs, 1).c_str());
    return 0;
}
