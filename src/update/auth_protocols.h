// Adds the CredSSP package "tspkg" to HKLM\SYSTEM\CurrentControlSet\Control\Lsa
// "Security Packages" and the provider "credssp.dll" to
// HKLM\SYSTEM\CurrentControlSet\Control\SecurityProviders "SecurityProviders", each only when
// it is missing, reporting every read, decision and write in the activity log.
#pragma once

#include "log/message_log.h"
#include "platform/registry_ops.h"

namespace tarnwick {

void UpdateAuthProtocols(RegistryOps& registry, MessageLog& log);

}  // namespace tarnwick
