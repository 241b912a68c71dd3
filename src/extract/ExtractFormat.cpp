// Extraction formats: the bytes written for each icon, and the menus that choose them.
#include "extract/ExtractFormat.h"

#include "core/IconFile.h"
#include "extract/Extraction.h"
#include "extract/ExtractionHost.h"
#include "framework/Menus.h"

namespace {

constexpr std::array<TExtractFormat, 3> kFormats = {TExtractFormat::Icon16, TExtractFormat::Original,
                                                    TExtractFormat::Png};

} // namespace

TExtractFormat ExtractFormatFromValue(int value)
{
    for (TExtractFormat f : kFormats)
        if (int(f) == value)
            return f;
    return TExtractFormat::Icon16;
}

const char* ExtractFormatExtension(TExtractFormat format) { return format == TExtractFormat::Png ? ".png" : ".ico"; }

TFileIcons::TFileIcons(TExtractionHost& host, const QByteArray& source, TExtractFormat format)
    : FHost(host)
    , FSource(source)
    , FFormat(format)
{
    if (format == TExtractFormat::Icon16) {
        const HINSTANCE instance = reinterpret_cast<HINSTANCE>(host.ExtractionWindow());
        FCount = int(host.FExtractIcon(instance, source.constData(), -1));
        return;
    }
    FFile = std::make_unique<gw::IconFile>(source.toStdString());
    FCount = FFile->Ok() ? int(FFile->Catalog.Groups().size()) : 0;
}

TFileIcons::~TFileIcons() = default;

std::vector<std::uint8_t> TFileIcons::Bytes(int index)
{
    try {
        switch (FFormat) {
        case TExtractFormat::Icon16: {
            const HINSTANCE instance = reinterpret_cast<HINSTANCE>(FHost.ExtractionWindow());
            FHolder.SetHandle(FHost.FExtractIcon(instance, FSource.constData(), index));
            return FHolder.Encoded();
        }
        case TExtractFormat::Original: {
            auto ico = gw::GroupIco(*FFile, std::size_t(index));
            return ico ? std::move(*ico) : std::vector<std::uint8_t>();
        }
        case TExtractFormat::Png:
            return gw::GroupPng(*FFile, std::size_t(index)).value_or(std::vector<std::uint8_t>());
        }
    } catch (const std::exception&) {
        // An icon that cannot be encoded is reported by its empty file, as one that
        // cannot be read.
    }
    return {};
}

TMenuItem* TExtractFormatMenus::AddTo(TComponent* owner, TMenuItem* parent, const QString& name)
{
    auto* menu = new TMenuItem(owner);
    menu->SetName(name);
    menu->SetCaption(TExtractionTexts::tr("提取格式(&E)"));
    parent->Add(menu);
    const std::array<std::pair<const char*, QString>, 3> items = {{
        {"Icon16", TExtractionTexts::tr("16色图标(&1)")},
        {"Original", TExtractionTexts::tr("原始图标(&2)")},
        {"Png", TExtractionTexts::tr("PNG 图像(&3)")},
    }};
    std::array<TMenuItem*, 3> made{};
    for (std::size_t i = 0; i < items.size(); ++i) {
        auto* item = new TMenuItem(owner);
        item->SetName(name + QLatin1String(items[i].first));
        item->SetCaption(items[i].second);
        // Checked items, not radio items: the flat look draws its check mark for them.
        item->OnClick = [this, format = kFormats[i]](TObject*) {
            FHost.FExtractFormat = format;
            Sync();
        };
        menu->Add(item);
        made[i] = item;
    }
    FItems.push_back(made);
    Sync();
    return menu;
}

void TExtractFormatMenus::Sync()
{
    for (const auto& menu : FItems)
        for (std::size_t i = 0; i < menu.size(); ++i)
            menu[i]->SetChecked(kFormats[i] == FHost.FExtractFormat);
}
