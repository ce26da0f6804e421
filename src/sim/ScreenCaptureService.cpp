#include "sim/ScreenCaptureService.h"

#include "sim/SimulatedMac.h"
#include "sim/WindowServer.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

namespace pellamor::sim {

namespace {

// The same hue for an application on every run.
QColor applicationColor(const Application* owner)
{
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : owner ? owner->bundleID : std::string())
        hash = (hash ^ c) * 16777619u;
    return QColor::fromHsv(static_cast<int>(hash % 360), 150, 200);
}

// Text needs the font database, which only a GUI application has.
bool canDrawText()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

} // namespace

ScreenCaptureService::ScreenCaptureService(SimulatedMac& mac) : mac_(mac) {}

bool ScreenCaptureService::available()
{
    return mac_.world().systemVersion.major >= 14 && mac_.world().permissions.screenCapture;
}

void ScreenCaptureService::shareableContent(bool excludingDesktopWindows, bool onScreenWindowsOnly,
                                            ContentCompletion completion)
{
    std::optional<std::vector<ShareableWindow>> content;
    const World& world = mac_.world();
    if (available() && !world.faults.capture.listingFails) {
        std::lock_guard lock(mac_.modelMutex());
        content.emplace();
        for (const Window& window : world.windows) {
            bool onScreen = mac_.windowServer().isOnScreen(window);
            if (world.faults.capture.unlisted.contains(window.number) || (onScreenWindowsOnly && !onScreen))
                continue;
            // Desktop elements sit below the normal layer.
            if (excludingDesktopWindows && window.layer < 0)
                continue;
            ShareableWindow listed;
            listed.windowID = window.number;
            if (mac_.application(window.pid))
                listed.owningProcessID = window.pid;
            if (!window.title.empty())
                listed.title = window.title;
            listed.frame = window.frame;
            listed.onScreen = onScreen;
            content->push_back(std::move(listed));
        }
    }
    mac_.mainQueue().asyncAfter(world.faults.capture.delay,
                                [completion = std::move(completion), content = std::move(content)] {
                                    completion(content);
                                });
}

void ScreenCaptureService::captureImage(const WindowCaptureRequest& request, CaptureCompletion completion)
{
    std::optional<CapturedImage> image;
    const World& world = mac_.world();
    bool sizeValid = request.width > 0 && request.height > 0 && request.width <= 8192 && request.height <= 8192;
    if (available() && !world.faults.capture.captureFails && sizeValid) {
        std::lock_guard lock(mac_.modelMutex());
        if (const Window* window = mac_.window(request.windowID))
            image = draw(*window, mac_.application(window->pid), request.width, request.height);
    }
    mac_.mainQueue().asyncAfter(world.faults.capture.delay,
                                [completion = std::move(completion), image = std::move(image)] {
                                    completion(image);
                                });
}

CapturedImage ScreenCaptureService::draw(const Window& window, const Application* owner, int width, int height)
{
    QImage canvas(width, height, QImage::Format_ARGB32_Premultiplied);
    QColor color = applicationColor(owner);
    canvas.fill(color.lighter(175));
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing);

    // A real title bar would be a few pixels high in a thumbnail; keep it tall enough to carry the title.
    double scale = window.frame.height() > 0 ? height / window.frame.height() : 1.0;
    int barHeight = std::min(std::max(static_cast<int>(28 * scale), 18), std::max(1, height / 4));
    painter.fillRect(QRect(0, 0, width, barHeight), color);

    // Lines of text beside a sidebar, so the picture reads as a window rather than a swatch.
    painter.setPen(Qt::NoPen);
    painter.setBrush(color.lighter(150));
    painter.drawRect(QRect(0, barHeight, width / 5, height - barHeight));
    painter.setBrush(color.darker(120));
    int lineHeight = std::max(2, height / 45);
    for (int y = barHeight + lineHeight * 3, row = 0; y + lineHeight < height - lineHeight; y += lineHeight * 4, ++row) {
        int left = width / 5 + width / 20;
        int length = (width - left - width / 20) * (55 + (row * 53) % 45) / 100;
        painter.drawRect(QRect(left, y, length, lineHeight));
    }

    if (canDrawText() && barHeight >= 12 && !window.title.empty()) {
        QFont font;
        font.setPixelSize(std::max(9, barHeight * 11 / 20));
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(Qt::white);
        QRect titleArea(barHeight / 2, 0, width - barHeight, barHeight);
        QString title = painter.fontMetrics().elidedText(QString::fromStdString(window.title), Qt::ElideRight,
                                                         titleArea.width());
        painter.drawText(titleArea, Qt::AlignCenter, title);
    }
    painter.setPen(color.darker(160));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(0.5, 0.5, width - 1, height - 1));
    painter.end();

    CapturedImage image { width, height, {} };
    image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(canvas.constScanLine(y));
        std::copy(row, row + width, image.pixels.begin() + static_cast<std::ptrdiff_t>(y) * width);
    }
    return image;
}

} // namespace pellamor::sim
