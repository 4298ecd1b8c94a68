// The loaders of the configuration file's entries. Each takes the text of
// one JSON object; a text that does not parse is ignored (false). Object keys
// are matched without regard to letter case, the first match counting.
#pragma once

namespace zel {

// FSA entry: operator libraries and the rule base from the rule folder.
bool RuleInit(const char* json);
// Table entry: word tables from the table folder into the table cluster.
bool CollInit(const char* json);
// LM entry: the character n-gram models.
bool LMInit(const char* json);
// Log entry: the log file "Path/Data".
bool LogInit(const char* json);
// Service entry: one named remote service into g_Server.
void AddServer(const char* json);

}  // namespace zel
