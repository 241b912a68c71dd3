// The animated application icon: eight frames of Tarnwell.dll, one per timer tick.
#include "browser/Mainform.h"
#include "platform/Profile.h"

std::int32_t IconFrameCounter = 0;

void TForm1::ChangeIconTime(TObject* Sender)
{
    (void)Sender;
    try {
        std::string library = ApplicationFolder();
        if (library.empty() || library.back() != '/')
            library += '/';
        library += "Tarnwell.dll";
        const int frame = IconFrameCounter % 8;
        const HICON icon = FAppIconSource(reinterpret_cast<HINSTANCE>(this), library.c_str(), frame);
        // The application icon owns the handle from here on; a null handle shows the
        // platform's default icon.
        Application->SetIconHandle(icon);
        setWindowIcon(Application->WindowIcon());
        // Wraps instead of overflowing, after some eight years of ticks.
        IconFrameCounter = static_cast<std::int32_t>(static_cast<std::uint32_t>(IconFrameCounter) + 1u);
    } catch (...) {
        Timer1->SetEnabled(false);
    }
}
