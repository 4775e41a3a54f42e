#include "commandreply.h"

CommandReply::CommandReply(const QString &command, QObject *parent)
    : QObject(parent)
    , m_command(command)
{}
