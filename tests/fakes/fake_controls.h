// A dialog window in memory for presenter tests: child controls with texts, states and
// items, tooltips and message boxes recorded; and a canvas that records what is painted.
#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/controls.h"

namespace fakes {

class FakeControls final : public ui::Controls {
  public:
    struct Control {
        ui::ChildControl info;
        bool enabled = true;
        bool visible = true;
        bool checked = false;
        int limit = 0;
        std::vector<std::u16string> items;
        int selection = -1;
        int low = 0, high = 0, position = 0;
        ui::DateTime dateTime{};
        bool hasDateTime = false;
        bool tooltipShown = true;
        ui::Rect rect{};
        bool rightToLeft = false;
        bool linkFont = false;
        std::vector<std::u16string> tooltips;
        bool filtered = false;
        ui::EditFilter filter = ui::EditFilter::kName;
    };

    // Adds a child control in enumeration order.
    Control& Add(int id, std::u16string_view className, std::u16string_view text,
                 std::uint32_t style = 0) {
        auto& c = controls_.emplace_back();
        c.info.handle =
            reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x1000 + controls_.size()));
        c.info.id = id;
        c.info.className = className;
        c.info.text = text;
        c.info.style = style;
        return c;
    }
    Control& Get(int id) {
        for (auto& c : controls_) {
            if (c.info.id == id) return c;
        }
        return missing_;
    }

    void* Window() const override { return reinterpret_cast<void*>(0xD1A); }
    void SetCaption(std::u16string_view text) override { caption = text; }
    void RemoveHelpButton() override { helpButtonRemoved = true; }
    void EndDialog(int result) override { endResult = result; }
    std::vector<ui::ChildControl> Children() override {
        std::vector<ui::ChildControl> out;
        for (auto& c : controls_) out.push_back(c.info);
        return out;
    }
    void SetChildText(void* child, std::u16string_view text) override {
        ByHandle(child).info.text = text;
    }
    void EnableChild(void* child, bool enable) override { ByHandle(child).enabled = enable; }
    // A list with a selection shows the selected entry, as a drop-down list does.
    std::u16string Text(int id) override {
        const Control& c = Get(id);
        if (c.selection >= 0 && static_cast<std::size_t>(c.selection) < c.items.size()) {
            return c.items[static_cast<std::size_t>(c.selection)];
        }
        return c.info.text;
    }
    void SetText(int id, std::u16string_view text) override {
        Get(id).info.text = text;
        if (onSetText) onSetText(id);
    }
    void Show(int id, bool show) override { Get(id).visible = show; }
    void Enable(int id, bool enable) override { Get(id).enabled = enable; }
    bool IsEnabled(int id) override { return Get(id).enabled; }
    bool IsVisible(int id) override { return Get(id).visible; }
    bool IsChecked(int id) override { return Get(id).checked; }
    void SetCheck(int id, bool checked) override { Get(id).checked = checked; }
    void SetLimit(int id, int units) override { Get(id).limit = units; }
    void ClearItems(int id) override {
        Get(id).items.clear();
        Get(id).selection = -1;
    }
    int AddItem(int id, std::u16string_view text) override {
        Get(id).items.emplace_back(text);
        return static_cast<int>(Get(id).items.size()) - 1;
    }
    void SetSelection(int id, int index) override { Get(id).selection = index; }
    int Selection(int id) override { return Get(id).selection; }
    void SetUpDownRange(int id, int low, int high) override {
        Get(id).low = low;
        Get(id).high = high;
    }
    void SetUpDownPosition(int id, int position) override { Get(id).position = position; }
    int UpDownPosition(int id) override { return Get(id).position; }
    bool DateTimeValue(int id, ui::DateTime* value) override {
        if (!Get(id).hasDateTime || value == nullptr) return false;
        *value = Get(id).dateTime;
        return true;
    }
    void SetDateTimeValue(int id, const ui::DateTime& value) override {
        Get(id).dateTime = value;
        Get(id).hasDateTime = true;
    }
    bool StartTimer(std::uintptr_t, std::uint32_t) override { return true; }
    void StopTimer(std::uintptr_t) override {}
    void* CreateTooltips(bool mirrored) override {
        tooltipsRightToLeft = mirrored;
        return tooltipWindow;
    }
    void AddTooltip(void* tooltips, const ui::ChildControl& child,
                    std::u16string_view text) override {
        if (tooltips != nullptr) Get(child.id).tooltips.emplace_back(text);
    }
    void UpdateTooltipArea(void* tooltips, int id, bool visible) override {
        if (tooltips != nullptr) Get(id).tooltipShown = visible;
    }
    void InstallEditFilter(int id, ui::EditFilter filter) override {
        Get(id).filtered = true;
        Get(id).filter = filter;
    }
    // Geometry: each control has a rectangle (0, 0, 0, 0 until set); the dialog a window
    // rectangle and an owner's.
    ui::Rect ControlRect(int id) override { return Get(id).rect; }
    void MoveControl(int id, const ui::Rect& area, bool) override { Get(id).rect = area; }
    ui::Rect WindowRect() override { return window; }
    ui::Rect OwnerWindowRect() override { return owner; }
    void MoveWindowTo(ui::Point topLeft) override {
        const int w = window.right - window.left;
        const int h = window.bottom - window.top;
        window = {topLeft.x, topLeft.y, topLeft.x + w, topLeft.y + h};
    }
    void SetClientSize(ui::Size size) override { clientSize = size; }
    void BringToForeground() override {}
    void ToggleRightToLeftLayout() override { rightToLeft = !rightToLeft; }
    void ClearRightToLeftLayout(int id) override { Get(id).rightToLeft = false; }
    // Every character is 7 x 13 pixels, 8 x 13 in a control with the (bolder) link font.
    ui::Size MeasureText(std::u16string_view text) override {
        return {static_cast<int>(text.size()) * 7, 13};
    }
    ui::Size MeasureControlText(int id, std::u16string_view text) override {
        return {static_cast<int>(text.size()) * (Get(id).linkFont ? 8 : 7), 13};
    }
    std::unique_ptr<ui::Font> MakeLinkFont(int) override {
        return std::make_unique<FakeFont>(*this);
    }
    void SetFont(int id, const ui::Font&, bool) override { Get(id).linkFont = true; }
    ui::Point PointerPosition() override { return pointer; }
    void SetPointer(ui::Cursor cursor) override { pointerShape = cursor; }
    void RelayMouseMove(void*, ui::Point) override {}
    std::unique_ptr<ui::Picture> LoadPicture(std::u16string_view path) override {
        loadedPictures.emplace_back(path);
        const auto it = pictures.find(std::u16string(path));
        if (it == pictures.end()) return nullptr;
        return std::make_unique<FakePicture>(*this, it->second);
    }

    int MessageBox(std::u16string_view text, std::u16string_view caption_, std::uint32_t) override {
        messages.push_back(std::u16string(caption_) + u": " + std::u16string(text));
        return messageAnswer;
    }
    void Beep() override {}

    std::u16string caption;
    bool helpButtonRemoved = false;
    int endResult = -1;
    void* tooltipWindow = reinterpret_cast<void*>(0x7001);
    bool tooltipsRightToLeft = false;
    std::vector<std::u16string> messages;
    int messageAnswer = ui::kIdOk;
    ui::Rect window{100, 100, 400, 300};
    ui::Rect owner{0, 0, 800, 600};
    ui::Size clientSize{};
    bool rightToLeft = false;
    int fontsAlive = 0;  // fonts made and not yet released
    ui::Point pointer{};
    ui::Cursor pointerShape = ui::Cursor::kArrow;
    std::map<std::u16string, ui::Size> pictures;  // bitmap files that load, by path
    std::vector<std::u16string> loadedPictures;
    int picturesAlive = 0;
    // Runs after every SetText, as a real edit reports a written text to its dialog at once
    // (EN_CHANGE) before the write returns.
    std::function<void(int id)> onSetText;

  private:
    class FakeFont final : public ui::Font {
      public:
        explicit FakeFont(FakeControls& owner) : owner_(owner) { ++owner_.fontsAlive; }
        ~FakeFont() override { --owner_.fontsAlive; }

      private:
        FakeControls& owner_;
    };
    class FakePicture final : public ui::Picture {
      public:
        FakePicture(FakeControls& owner, ui::Size size) : owner_(owner), size_(size) {
            ++owner_.picturesAlive;
        }
        ~FakePicture() override { --owner_.picturesAlive; }
        ui::Size Dimensions() const override { return size_; }

      private:
        FakeControls& owner_;
        ui::Size size_;
    };

    Control& ByHandle(void* handle) {
        for (auto& c : controls_) {
            if (c.info.handle == handle) return c;
        }
        return missing_;
    }
    std::vector<Control> controls_;
    Control missing_;
};

// A canvas that writes every drawing call in order as one line of its log: what was drawn,
// where, and in which colour and font (texts narrowed to ASCII, colours as 0xBBGGRR).
class FakeCanvas final : public ui::Canvas {
  public:
    ui::Rect Bounds() const override { return bounds; }
    void Fill(const ui::Rect& area, std::uint32_t colour) override {
        Log("fill " + Place(area) + " " + Hex(colour));
    }
    void Text(const ui::Rect& area, std::u16string_view text, std::uint32_t) override {
        Log("text \"" + Narrow(text) + "\" in " + Place(area));
    }
    void TextAt(ui::Point at, std::u16string_view text, const ui::FontSpec& font,
                std::uint32_t colour) override {
        Log("text \"" + Narrow(text) + "\" at " + Place(at) + " " + Narrow(font.face) + " " +
            std::to_string(font.height) + "/" + std::to_string(font.weight) + " " + Hex(colour));
    }
    void DrawPicture(const ui::Picture& picture, ui::Point at) override {
        Log("picture " + Size(picture) + " at " + Place(at));
    }
    void DrawPictureTransparent(const ui::Picture& picture, ui::Point at) override {
        Log("transparent picture " + Size(picture) + " at " + Place(at));
    }

    ui::Rect bounds{0, 0, 400, 348};
    std::vector<std::string> log;

  private:
    void Log(std::string line) { log.push_back(std::move(line)); }
    static std::string Narrow(std::u16string_view text) {
        std::string out;
        for (char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
        return out;
    }
    static std::string Place(ui::Point p) {
        return std::to_string(p.x) + "," + std::to_string(p.y);
    }
    static std::string Place(const ui::Rect& r) {
        return Place(ui::Point{r.left, r.top}) + "-" + Place(ui::Point{r.right, r.bottom});
    }
    static std::string Size(const ui::Picture& picture) {
        const ui::Size size = picture.Dimensions();
        return std::to_string(size.width) + "x" + std::to_string(size.height);
    }
    static std::string Hex(std::uint32_t colour) {
        char text[16];
        std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(colour));
        return text;
    }
};

}  // namespace fakes
