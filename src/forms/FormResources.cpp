// The compiled-in resources of the forms (image-list artwork, window icon).
#include "FormResources.h"

#include <QtCore/QtGlobal>

static void InitImages()
{
    Q_INIT_RESOURCE(images);
}

void InitFormResources()
{
    static const bool done = (InitImages(), true);
    (void)done;
}
