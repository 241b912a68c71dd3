// Extraction formats: the bytes written for each icon, and the menus that choose them.
#include "extract/ExtractFormat.h"

#include "core/IconFile.h"
#include "extract/Extraction.h"
#include "extract/ExtractionHost.h"
#include "extract/ExtractionRun.h"
#include "framework/Menus.h"

TFileIcons::TFileIcons(const TExtractionRun& run, const QByteArray& source)
    : FRun(run)
    , FSource(source)
    , FFormat(run.Format())
{
    // The 16-colour icons come from the shell, as every icon the window shows.
    if (FFormat == gw::OutputFormat::Icon16) {
        const HINSTANCE instance = reinterpret_cast<HINSTANCE>(run.Host().ExtractionWindow());
        FCount = int(run.IconSource()(instance, source.constData(), -1));
        return;
    }
    FFile = std::make_unique<gw::IconFile>(source.toStdString());
    FCount = FFile->Ok() ? int(FFile->Catalog.Groups().size()) : 0;
}

TFileIcons::~TFileIcons() = default;

std::vector<std::uint8_t> TFileIcons::Bytes(int index)
{
    try {
        if (FFormat != gw::OutputFormat::Icon16)
            return gw::EncodeGroup(*FFile, std::size_t(index), FFormat).value_or(std::vector<std::uint8_t>());
        const HINSTANCE instance = reinterpret_cast<HINSTANCE>(FRun.Host().ExtractionWindow());
        FHolder.SetHandle(FRun.IconSource()(instance, FSource.constData(), index));
        return FHolder.Encoded();
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
    // In the order of gw::kOutputFormats.
    const std::array<std::pair<const char*, QString>, gw::kOutputFormats.size()> items = {{
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
        item->OnClick = [this, format = gw::kOutputFormats[i].Format](TObject*) {
            FFormat = format;
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
            menu[i]->SetChecked(gw::kOutputFormats[i].Format == FFormat);
}
