#include "host/host_options.h"

#include <QCommandLineParser>

void host_options_t::add_to(QCommandLineParser &parser) const
{
    parser.setApplicationDescription(QStringLiteral("Control centre host for the Vorla Connect module."));
    parser.addHelpOption();
    parser.addOptions(all());
}
