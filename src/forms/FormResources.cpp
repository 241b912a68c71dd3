// The compiled-in resources of the forms (image-list artwork, window icon, skin).
#include "forms/FormResources.h"

#include <QtCore/QtGlobal>

static void InitImages()
{
    Q_INIT_RESOURCE(images);
    Q_INIT_RESOURCE(skin);
}

void InitFormResources()
{
    static const bool done = (InitImages(), true);
    (void)done;
}
