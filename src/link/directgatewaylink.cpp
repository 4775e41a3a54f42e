#include "directgatewaylink.h"

DirectGatewayLink::DirectGatewayLink(Writer writer, QObject *parent)
    : GatewayLink(parent)
    , m_writer(std::move(writer))
{}
