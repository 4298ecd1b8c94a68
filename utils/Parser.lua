-- Translates a query of the corpus query language into a Lua program for the
-- retrieval engine. The language is described in docs/query-language.md.
--
-- Parser(query [, lang [, version]])
--   query    the query text in GBK
--   lang     0 for an English corpus; 1, any other value or nothing for Chinese
--   version  read by nobody; the engine passes 3
-- Returns the program text (GBK). It never raises: a query that cannot be
-- translated gets a program that returns a JSON error naming the character
-- position and what was expected there.

local MAX_PROGRAM = 10239    -- the engine's program buffer holds 10,240 bytes
local MAX_GROUPS = 3         -- a hit carries the bounds of $1, $2 and $3
local MAX_ITEM = 1023        -- the engine reads condition items into 1,024 bytes
local ECHO_MARK = "--Lua"

local byte, sub, find, rep, format = string.byte, string.sub, string.find, string.rep, string.format
local concat = table.concat

-- Characters with a meaning of their own outside quotes (all below 0x40 or
-- ASCII punctuation; GBK trail bytes are never looked at alone).
local SPECIAL = {}
for c in ("&|!@*^#()~<>$={}[]\"/"):gmatch(".") do SPECIAL[c] = true end

local RELATIONS = { "ShareTag", "ShareQuery", "*", "^", "SameLeft", "SameRight",
                    "Link", "SameSent", "InPhrase", "InChunk", "SameBoundary" }
local RELATION_BY_LOWER = {}
for _, name in ipairs(RELATIONS) do RELATION_BY_LOWER[name:lower()] = name end

-- Relations after which a word/tag pair may follow: they make the pair's text
-- end the joined hit, so its last word can be matched against the tag.
local PAIR_AFTER = { Link = true, ["*"] = true, ["^"] = true, ShareTag = true,
                     SameRight = true, SameBoundary = true }

local PRINT_FORMS = {}
for _, f in ipairs({ "print($1)", "print($2)", "print($3)", "print($B)", "print($E)",
                     "print($1$2)", "print($2$3)", "print($1$3)", "print($1$2$3)" }) do
  PRINT_FORMS[f] = true
end

local PAIR_KEYS = {}
for _, k in ipairs({ "$1=$2", "$2=$1", "$1!=$2", "$2!=$1",
                     "len($1)=len($2)", "len($2)=len($1)", "len($1)!=len($2)", "len($2)!=len($1)",
                     "len($1)>len($2)", "len($2)>len($1)", "len($1)<len($2)", "len($2)<len($1)" }) do
  PAIR_KEYS[k] = true
end

local COUNT_FORMS = { ["$Q"] = true, ["$1"] = true, ["$2"] = true, ["$B"] = true, ["$E"] = true,
                      ["$1*$2"] = true, ["$12"] = true, ["$1$2"] = true, ["$1 $2"] = true }

------------------------------------------------------------------------------
-- Lua literals

-- A Lua string literal for s that reads back byte for byte. GBK characters
-- stay readable where possible; the marker "--Lua" never appears in it.
local function lit(s)
  local has_ctrl = find(s, "[%z\1-\31\127]") ~= nil
  local has_mark = find(s, ECHO_MARK, 1, true) ~= nil
  if not has_ctrl and not has_mark and not find(s, "[\"\\]") then
    return '"' .. s .. '"'
  end
  if not has_ctrl and not has_mark then
    local level = 0
    while find(s .. "]", "]" .. rep("=", level) .. "]", 1, true) do level = level + 1 end
    local eq = rep("=", level)
    return "[" .. eq .. "[" .. s .. "]" .. eq .. "]"
  end
  local out = {}
  for k = 1, #s do
    local b = byte(s, k)
    if b < 32 or b == 127 then out[#out + 1] = format("\\%03d", b)
    elseif b == 34 then out[#out + 1] = '\\"'
    elseif b == 92 then out[#out + 1] = "\\\\"
    elseif b == 45 then out[#out + 1] = "\\45"
    else out[#out + 1] = string.char(b) end
  end
  return '"' .. concat(out) .. '"'
end

------------------------------------------------------------------------------
-- JSON errors (ASCII only: the answer of a program is UTF-8)

local function json_string(gbk)
  local text = gbk
  local converted = false
  if type(GB2UTF8) == "function" then
    local ok, u = pcall(GB2UTF8, gbk)
    if ok and type(u) == "string" then text, converted = u, true end
  end
  local out = {}
  local function add_code(cp)
    if cp == 34 then out[#out + 1] = '\\"'
    elseif cp == 92 then out[#out + 1] = "\\\\"
    elseif cp < 32 or cp == 127 then out[#out + 1] = format("\\u%04x", cp)
    elseif cp < 128 then out[#out + 1] = string.char(cp)
    elseif cp < 0x10000 then out[#out + 1] = format("\\u%04x", cp)
    else
      cp = cp - 0x10000
      out[#out + 1] = format("\\u%04x\\u%04x", 0xD800 + (cp >> 10), 0xDC00 + (cp & 0x3FF))
    end
  end
  local ok = converted and pcall(function()
    local codes = {}
    for _, cp in utf8.codes(text) do codes[#codes + 1] = cp end
    for _, cp in ipairs(codes) do add_code(cp) end
  end)
  if not ok then
    out = {}
    local k = 1
    while k <= #gbk do
      local b = byte(gbk, k)
      if b >= 0x80 then out[#out + 1] = "\\ufffd"; k = k + 2
      else add_code(b); k = k + 1 end
    end
  end
  return '"' .. concat(out) .. '"'
end

local function error_program(fields)
  local parts = {}
  for _, f in ipairs(fields) do
    local v = f[2]
    parts[#parts + 1] = '"' .. f[1] .. '":' .. (type(v) == "number" and format("%d", v) or json_string(v))
  end
  return "return " .. lit("{" .. concat(parts, ",") .. "}") .. "\n"
end

local function last_char(s)
  local k, last = 1, 1
  while k <= #s do
    last = k
    k = k + ((byte(s, k) >= 0x80) and 2 or 1)
  end
  return sub(s, last)
end

-- The first n characters of s.
local function clip(s, n)
  local k, c = 1, 0
  while k <= #s and c < n do
    k = k + ((byte(s, k) >= 0x80) and 2 or 1)
    c = c + 1
  end
  return sub(s, 1, k - 1)
end

local function has_char(s, ch)
  local k = 1
  while k <= #s do
    local len = (byte(s, k) >= 0x80) and 2 or 1
    if len == 1 and sub(s, k, k) == ch then return true end
    k = k + len
  end
  return false
end

------------------------------------------------------------------------------
-- Reader over the query text: whole GBK characters, byte positions

local Reader = {}
Reader.__index = Reader

local function new_reader(s, english)
  return setmetatable({ s = s, i = 1, n = #s, english = english }, Reader)
end

-- Character number (from 1) of the byte position p.
function Reader:charno(p)
  local k, c = 1, 1
  while k < p and k <= self.n do
    k = k + ((byte(self.s, k) >= 0x80) and 2 or 1)
    c = c + 1
  end
  return c
end

function Reader:fail_at(p, expected, found)
  if found == nil then
    if p > self.n then
      found = ""
    else
      local q, cnt = p, 0
      while q <= self.n and cnt < 8 do
        local b = byte(self.s, q)
        if cnt > 0 and (b == 32 or b == 9) then break end
        q = q + ((b >= 0x80) and 2 or 1)
        cnt = cnt + 1
      end
      found = sub(self.s, p, q - 1)
    end
  end
  error({ pos = p, expected = expected, found = found }, 0)
end

function Reader:fail(expected, found) self:fail_at(self.i, expected, found) end

-- Length of the character at byte position p (0 at the end).
function Reader:clen(p)
  p = p or self.i
  if p > self.n then return 0 end
  if byte(self.s, p) >= 0x80 then
    if p + 1 > self.n then self:fail_at(p, "a whole two-byte character") end
    return 2
  end
  return 1
end

function Reader:peek(p)
  p = p or self.i
  local l = self:clen(p)
  if l == 0 then return nil end
  return sub(self.s, p, p + l - 1)
end

function Reader:at_end() return self.i > self.n end

function Reader:looking_at(text) return sub(self.s, self.i, self.i + #text - 1) == text end

local function is_blank(c) return c == " " or c == "\t" or c == "\r" or c == "\n" or c == "\161\161" end

function Reader:skip_blanks()
  local start = self.i
  while true do
    local c = self:peek()
    if c and is_blank(c) then self.i = self.i + #c else break end
  end
  return self.i > start
end

local function is_text_char(c) return c ~= nil and not is_blank(c) and not SPECIAL[c] end

------------------------------------------------------------------------------
-- Units

-- Splits a text into its leading dots, its core and its trailing dots.
local function split_dots(text)
  local lead = text:match("^%.*")
  local trail = text:match("%.*$")
  if #lead == #text then return #text, "", 0 end
  return #lead, sub(text, #lead + 1, #text - #trail), #trail
end

-- First and last character of a Chinese text, first and last word of an
-- English one: the neighbour that the engine's full unit names carry.
function Reader:first_piece(core)
  if self.english then return core:match("^(%S+)") end
  return (byte(core, 1) >= 0x80) and sub(core, 1, 2) or sub(core, 1, 1)
end

function Reader:last_piece(core)
  if self.english then return core:match("(%S+)$") end
  return last_char(core)
end

-- Reads a text: a run of ordinary characters, or a quoted text in which "\"
-- takes the next character as it is. Returns the pattern, its core (without
-- the wildcard dots) and the dot counts at either end.
function Reader:read_text()
  local start = self.i
  local text
  if self:peek() == '"' then
    self.i = self.i + 1
    local buf = {}
    while true do
      local c = self:peek()
      if c == nil then self:fail("'\"' to close the quoted text") end
      self.i = self.i + #c
      if c == '"' then break end
      if c == "\\" then
        c = self:peek()
        if c == nil then self:fail("a character after '\\'") end
        self.i = self.i + #c
      end
      buf[#buf + 1] = c
    end
    text = concat(buf)
    if self.english then
      text = text:gsub("%s+", " "):gsub("^ ", ""):gsub(" $", "")
    else
      for _, c in ipairs(buf) do
        if is_blank(c) then
          self:fail_at(start, "a Chinese text without blanks (a blank between units means they are adjacent)")
        end
      end
    end
  else
    local buf = {}
    while is_text_char(self:peek()) do
      local c = self:peek()
      buf[#buf + 1] = c
      self.i = self.i + #c
    end
    text = concat(buf)
  end
  local lead, core, trail = split_dots(text)
  if core == "" then self:fail_at(start, "a text with at least one character besides '.'") end
  if find(core, ".", 1, true) then
    self:fail_at(start, "a text with '.' only at its start or its end")
  end
  return { text = text, core = core, lead = lead, trail = trail, pos = start }
end

-- A tag name between "<" and ">".
function Reader:read_angle_tag()
  self.i = self.i + 1
  local start = self.i
  while true do
    local c = self:peek()
    if c == nil or c == ">" or c == "<" or c == "|" or is_blank(c) then break end
    self.i = self.i + #c
  end
  if self.i == start then self:fail("a tag name after '<'") end
  local tag = sub(self.s, start, self.i - 1)
  if self:peek() ~= ">" then self:fail("'>' to close the tag") end
  self.i = self.i + 1
  return tag
end

-- A name made of ordinary characters (a label after "$", a tag after "/").
function Reader:read_name(what)
  local start = self.i
  while is_text_char(self:peek()) do self.i = self.i + #self:peek() end
  if self.i == start then self:fail(what) end
  return sub(self.s, start, self.i - 1)
end

function Reader:read_waves()
  local start = self.i
  while true do
    local c = self:peek()
    if c == "~" or c == "(" or c == ")" then self.i = self.i + 1 else break end
  end
  return sub(self.s, start, self.i - 1), start
end

local function count_waves(w) local _, n = w:gsub("~", "") return n end

local function starts_item(c)
  return c ~= nil and (is_text_char(c) or c == '"' or c == "<" or c == "$" or c == "~" or c == "(" or c == ")")
end

-- One item of a sequence: an atom (one engine unit) or a word/tag pair.
-- atom = { unit, pattern, w = {w1, w2, w3, w4}, wpos = {...}, pos }
function Reader:read_item()
  local pos = self.i
  local w1, w1pos = self:read_waves()
  local atom = { pos = pos, w = { w1, "", "", "" }, wpos = { w1pos } }
  local c = self:peek()
  local pair_tag
  if c == "<" then
    local tag = self:read_angle_tag()
    if is_text_char(self:peek()) or self:peek() == '"' then
      local t = self:read_text()
      if t.lead > 0 then self:fail_at(t.pos, "a text with '.' only at its end (after a tag)") end
      atom.unit = "|" .. tag .. "_" .. self:first_piece(t.core)
      atom.pattern = t.text
    else
      atom.unit, atom.pattern = tag .. "|", ""
    end
  elseif c == "$" then
    self.i = self.i + 1
    local label = self:read_name("a constituent label after '$'")
    atom.pattern = ""
    atom.unit = "$" .. label
    if self:peek() == "=" and self:peek(self.i + 1) ~= ">" then
      self.i = self.i + 1
      local body = self.i
      local wa, wapos = self:read_waves()
      if self:peek() == "*" then
        self.i = self.i + 1
        atom.w[3], atom.wpos[3] = wa, wapos
        atom.w[4], atom.wpos[4] = self:read_waves()
      else
        atom.w[4], atom.wpos[4] = wa, wapos
      end
      if is_text_char(self:peek()) or self:peek() == '"' then
        local t = self:read_text()
        if t.trail > 0 then self:fail_at(t.pos, "a text with '.' only at its start (it ends the constituent)") end
        atom.unit = "$" .. label .. "_" .. self:last_piece(t.core)
        atom.pattern = t.text
      elseif self.i == body then
        self:fail("waves, '*' or a text after '='")
      end
    end
  elseif is_text_char(c) or c == '"' then
    local t = self:read_text()
    local after = self:peek()
    if after == "<" then
      local tag = self:read_angle_tag()
      if t.trail > 0 then self:fail_at(t.pos, "a text with '.' only at its start (before a tag)") end
      atom.unit = self:last_piece(t.core) .. "_" .. tag .. "|"
      atom.pattern = t.text
    elseif after == "$" then
      self.i = self.i + 1
      if is_text_char(self:peek()) then self:fail("a blank or an operator after the '$' that ends a constituent") end
      if t.trail > 0 then self:fail_at(t.pos, "a text with '.' only at its start (before '$')") end
      atom.unit = self:last_piece(t.core) .. "@"
      atom.pattern = t.text
    else
      if t.lead > 0 and t.trail > 0 then
        self:fail_at(t.pos, "a text with '.' on one side only")
      end
      if t.lead > 0 then
        atom.unit = self:last_piece(t.core) .. ">"
      else
        atom.unit = "<" .. self:first_piece(t.core)
      end
      atom.pattern = t.text
      if after == "/" then
        self.i = self.i + 1
        if self:peek() == '"' then
          local tag_pos = self.i
          pair_tag = self:read_text().text
          if has_char(pair_tag, "|") or has_char(pair_tag, " ") then
            self:fail_at(tag_pos, "a tag without '|' or blanks")
          end
        else
          pair_tag = self:read_name("a tag after '/'")
        end
      end
    end
  else
    self:fail("a unit (a text, <TAG>, $LABEL or waves)")
  end
  atom.w[2], atom.wpos[2] = self:read_waves()
  local nxt = self:peek()
  if nxt ~= nil and (is_text_char(nxt) or nxt == '"' or nxt == "<" or nxt == "$" or nxt == "/") then
    self:fail("a blank or an operator between two units")
  end
  if pair_tag then
    local tag_atom = { unit = pair_tag .. "|", pattern = "",
                       w = { "", rep("~", count_waves(atom.w[2])), "", "" }, pos = pos }
    return { pair = true, text = atom, tag = tag_atom, pos = pos }
  end
  return atom
end

-- Group marks in the order the engine numbers them: left waves, the waves
-- inside a constituent, right waves.
local MARK_ORDER = { 1, 3, 4, 2 }

local function check_groups(reader, seq)
  local open, groups = false, 0
  local open_pos
  for _, item in ipairs(seq.items) do
    local atom = item.pair and item.text or item
    for _, k in ipairs(MARK_ORDER) do
      local w, wpos = atom.w[k], atom.wpos[k]
      for j = 1, #w do
        local c = sub(w, j, j)
        local p = wpos + j - 1
        if c == "(" then
          if sub(w, j + 1, j + 1) == ")" then reader:fail_at(p, "a group with something inside", "()") end
          if open then reader:fail_at(p, "')' before the next '(' (groups do not nest)") end
          groups = groups + 1
          if groups > MAX_GROUPS then reader:fail_at(p, "at most three groups ($1, $2, $3) in a sequence") end
          open, open_pos = true, p
        elseif c == ")" then
          if not open then reader:fail_at(p, "'(' before ')'") end
          open = false
        end
      end
    end
  end
  if open then reader:fail_at(open_pos, "')' to close the group") end
end

local function read_relation(reader)
  local c = reader:peek()
  if c == "*" or c == "^" then
    reader.i = reader.i + 1
    return c
  end
  if c == "#" then
    local start = reader.i
    reader.i = reader.i + 1
    local name_start = reader.i
    while true do
      local d = reader:peek()
      if d == nil or d == "#" or is_blank(d) then break end
      reader.i = reader.i + #d
    end
    local name = sub(reader.s, name_start, reader.i - 1)
    if reader:peek() ~= "#" then reader:fail("'#' to close the relation name") end
    reader.i = reader.i + 1
    local rel = RELATION_BY_LOWER[name:lower()]
    if not rel then
      reader:fail_at(start, "a relation name: " .. concat(RELATIONS, ", "), "#" .. name .. "#")
    end
    return rel
  end
  return nil
end

-- seq = { items = {...}, rels = {...}, pos }
function Reader:read_seq()
  local first = self:read_item()
  local seq = { items = { first }, rels = {}, pos = first.pos }
  while true do
    local save = self.i
    local blank = self:skip_blanks()
    local rel_pos = self.i
    local rel = read_relation(self)
    if not rel then
      if blank and starts_item(self:peek()) then
        rel = "Link"
      else
        self.i = save
        break
      end
    end
    self:skip_blanks()
    local item = self:read_item()
    if item.pair and not PAIR_AFTER[rel] then
      self:fail_at(rel_pos, "a relation after which a word/tag pair can stand (blank, *, ^, #ShareTag#, #SameRight#, #SameBoundary#)", "#" .. rel .. "#")
    end
    seq.items[#seq.items + 1] = item
    seq.rels[#seq.rels + 1] = rel
  end
  check_groups(self, seq)
  return seq
end

local function single_unit(seq) return #seq.items == 1 and not seq.items[1].pair end

-- Set operators: "&", "|", "!" in the same sentence, doubled in the same
-- document. "!@" begins a base clause and is not one of them.
local SET_OPS = { ["&"] = "AND", ["|"] = "OR", ["!"] = "NOT" }

function Reader:read_set_op()
  local c = self:peek()
  if not SET_OPS[c] then return nil end
  if c == "!" and self:peek(self.i + 1) == "@" then return nil end
  local start = self.i
  self.i = self.i + 1
  local doc = false
  if self:peek() == c then
    self.i = self.i + 1
    doc = true
  end
  return { fn = SET_OPS[c], doc = doc, text = sub(self.s, start, self.i - 1), pos = start }
end

-- expr = { first = seq, ops = { {fn, doc, text, seq}, ... } }
function Reader:read_expr()
  local expr = { first = self:read_seq(), ops = {} }
  while true do
    local save = self.i
    self:skip_blanks()
    local op = self:read_set_op()
    if not op then self.i = save; break end
    self:skip_blanks()
    op.seq = self:read_seq()
    expr.ops[#expr.ops + 1] = op
  end
  -- Two atom slots and two merged slots: the right side of a set operator
  -- must be one unit. AND and OR may swap their sides once, at the start.
  for k, op in ipairs(expr.ops) do
    if not single_unit(op.seq) then
      if k == 1 and op.fn ~= "NOT" and single_unit(expr.first) then
        expr.first, op.seq = op.seq, expr.first
      else
        self:fail_at(op.seq.pos, "a single unit on the right of '" .. op.text ..
                     "' (put the longer part first)")
      end
    end
  end
  return expr
end

------------------------------------------------------------------------------
-- Sections: conditions {...}, limits [...], output => ...

local INT64_MAX = "9223372036854775807"

local function parse_key(reader, p, digits)
  if #digits > #INT64_MAX or (#digits == #INT64_MAX and digits > INT64_MAX) then
    reader:fail_at(p, "a sentence key from 0 to " .. INT64_MAX, digits)
  end
  return math.tointeger(tonumber(digits))
end

-- Limits "(from,to);(from,to)..." starting at byte p of the reader's text and
-- ending before byte stop.
local function parse_limits(reader, p, stop, limits)
  local s = reader.s
  local function skip()
    while p < stop do
      local c = sub(s, p, p)
      if c == " " or c == "\t" or c == ";" or c == "," then p = p + 1 else break end
    end
  end
  local function number()
    local d = s:match("^%d+", p)
    if not d or p + #d > stop then reader:fail_at(p, "a sentence key (a whole number)") end
    local v = parse_key(reader, p, d)
    p = p + #d
    return v
  end
  local function expect(ch, what)
    while p < stop and (sub(s, p, p) == " " or sub(s, p, p) == "\t") do p = p + 1 end
    if p >= stop or sub(s, p, p) ~= ch then reader:fail_at(p <= reader.n and p or reader.n + 1, what) end
    p = p + 1
    while p < stop and (sub(s, p, p) == " " or sub(s, p, p) == "\t") do p = p + 1 end
  end
  skip()
  while p < stop do
    local start = p
    expect("(", "'(' to begin a limit (from,to)")
    local from = number()
    expect(",", "',' between the two keys of a limit")
    local to = number()
    expect(")", "')' to end a limit")
    if to < from then reader:fail_at(start, "a limit whose end is not before its start") end
    limits[#limits + 1] = { from, to }
    skip()
  end
end

-- Splits the inside of {...} into items at blanks, ";", "," and "`" outside
-- square brackets. Returns { {text, pos}, ... }.
local function split_items(reader, p, stop)
  local items, buf, start, depth = {}, {}, nil, 0
  local function flush()
    if #buf > 0 then items[#items + 1] = { text = concat(buf), pos = start } end
    buf, start = {}, nil
  end
  while p < stop do
    local c = reader:peek(p)
    if depth == 0 and (is_blank(c) or c == ";" or c == "," or c == "`") then
      flush()
    else
      if c == "[" then depth = depth + 1 elseif c == "]" and depth > 0 then depth = depth - 1 end
      start = start or p
      -- Inside a word list the engine splits items at ";" and ",": words are
      -- separated by single blanks instead.
      if depth > 0 and c ~= "[" and (is_blank(c) or c == ";" or c == "," or c == "`") then c = " " end
      buf[#buf + 1] = c
    end
    p = p + #c
  end
  flush()
  return items
end

-- The words of a "[...]" list, joined by single blanks.
local function list_words(reader, list, pos)
  local words = {}
  for w in list:gmatch("%S+") do words[#words + 1] = w end
  if #words == 0 then reader:fail_at(pos, "at least one word in the list") end
  return "[" .. concat(words, " ") .. "]"
end

local WORD_FORM_KEYS = {}
for _, f in ipairs({ "mid", "beg", "end", "equ" }) do
  for _, part in ipairs({ "1", "2", "B", "E", "Q" }) do
    WORD_FORM_KEYS[f .. "($" .. part .. ")"] = true
  end
end
for _, part in ipairs({ "1", "2", "B", "E", "Q" }) do WORD_FORM_KEYS["$" .. part] = true end

-- Sorts one item into the condition language or the document filters.
local function classify_item(reader, item, q)
  local text, pos = item.text, item.pos
  if #text > MAX_ITEM then reader:fail_at(pos, "a condition of at most 1023 bytes", text) end
  if PRINT_FORMS[text] or PAIR_KEYS[text] then
    q.conditions[#q.conditions + 1] = text
    return
  end
  if text:sub(1, 4) == "len(" then
    local key, op, n = text:match("^(len%(%$[12BEQ]%))([!<>=]=?)(%d+)$")
    if not key or not (op == "=" or op == "!=" or op == "<" or op == ">") then
      reader:fail_at(pos, "a length condition such as len($Q)>1 (parts $1 $2 $B $E $Q; =, !=, <, >)", text)
    end
    q.conditions[#q.conditions + 1] = key .. op .. n
    return
  end
  if text:sub(1, 10) == "$WordsNum=" then
    local r = text:sub(11)
    if not r:match("^%d+%.?%d*$") then reader:fail_at(pos, "a number after $WordsNum=", text) end
    q.conditions[#q.conditions + 1] = text
    return
  end
  -- "=" and "!" are never trail bytes: a byte search finds them safely.
  local eq = find(text, "=", 1, true)
  local name = eq and sub(text, 1, eq - 1) or text
  local value = eq and sub(text, eq + 1) or ""
  local function list_value(what)
    if sub(value, 1, 1) ~= "[" or last_char(value) ~= "]" then
      reader:fail_at(pos, "a " .. what .. " in '[' and ']'", text)
    end
    return list_words(reader, sub(value, 2, -2), pos)
  end
  if sub(text, 1, 1) == "$" or name:match("^%a+%(") then
    local neg = sub(name, -1) == "!"
    local key = neg and sub(name, 1, -2) or name
    if not eq or not (WORD_FORM_KEYS[key] or (key == "$Words" and not neg)) then
      reader:fail_at(pos, "a condition such as mid($1)=[...], $2!=[...], len($Q)>1 or print($1)", text)
    end
    q.conditions[#q.conditions + 1] = key .. (neg and "!=" or "=") .. list_value("word list")
    return
  end
  -- Document filter: name=value or name=[values]; "!" excludes, "?" any of.
  local mode = "all"
  local lead = sub(name, 1, 1)
  if lead == "!" then mode, name = "none", sub(name, 2) elseif lead == "?" then mode, name = "any", sub(name, 2) end
  if not eq or name == "" or value == "" or has_char(name, "[") or has_char(name, "]") then
    reader:fail_at(pos, "a condition such as len($Q)>1 or a filter such as Cat=[...]", text)
  end
  local values = {}
  if sub(value, 1, 1) == "[" then
    for w in list_value("value list"):sub(2, -2):gmatch("%S+") do values[#values + 1] = w end
  else
    values[1] = value
  end
  -- The engine keeps one entry per name: "any" and "none" entries of one
  -- name join their values; "all" cannot ask two values of one name at once.
  local group = q.filters[mode]
  local entry = group[name]
  if entry and mode == "all" then
    reader:fail_at(pos, "one filter per name (write " .. name .. "=[a b] for any of several values)", text)
  end
  if not entry then
    entry = { name = name, values = {} }
    group[name] = entry
    group[#group + 1] = entry
  end
  for _, v in ipairs(values) do entry.values[#entry.values + 1] = v end
end

-- "{...}": condition items, or limits when the inside begins with "(" (the
-- service writes a limit given as a string into braces).
function Reader:read_braces(q)
  local open = self.i
  self.i = self.i + 1
  local depth = 0
  while true do
    local c = self:peek()
    if c == nil then self:fail("'}' to close the conditions") end
    if c == "[" then depth = depth + 1 elseif c == "]" and depth > 0 then depth = depth - 1 end
    if c == "}" and depth == 0 then break end
    self.i = self.i + #c
  end
  local stop = self.i
  self.i = self.i + 1
  local p = open + 1
  while p < stop and is_blank(self:peek(p)) do p = p + #self:peek(p) end
  local first = self:peek(p)
  if first == "(" or first == "[" then
    if first == "[" then
      local last = stop - 1
      while last > p and is_blank(sub(self.s, last, last)) do last = last - 1 end
      if sub(self.s, last, last) ~= "]" then self:fail_at(last, "']' to close the limits") end
      parse_limits(self, p + 1, last, q.limits)
    else
      parse_limits(self, p, stop, q.limits)
    end
    return
  end
  for _, item in ipairs(split_items(self, open + 1, stop)) do classify_item(self, item, q) end
end

function Reader:read_brackets(q)
  local open = self.i
  self.i = self.i + 1
  while self:peek() ~= "]" do
    if self:at_end() then self:fail("']' to close the limits") end
    self.i = self.i + #self:peek()
  end
  local stop = self.i
  self.i = stop + 1
  parse_limits(self, open + 1, stop, q.limits)
end

function Reader:read_output_token()
  if self:peek() == '"' then
    local start = self.i
    self.i = self.i + 1
    local buf = {}
    while true do
      local c = self:peek()
      if c == nil then self:fail_at(start, "'\"' to close the form") end
      self.i = self.i + #c
      if c == '"' then break end
      buf[#buf + 1] = c
    end
    return concat(buf), start, true
  end
  local start = self.i
  while true do
    local c = self:peek()
    if c == nil or is_blank(c) or c == "{" or c == "[" then break end
    self.i = self.i + #c
  end
  return sub(self.s, start, self.i - 1), start, false
end

local function check_freq_form(reader, form, pos)
  local refs = 0
  local k = 1
  while k <= #form do
    local b = byte(form, k)
    if b >= 0x80 then
      k = k + 2
    else
      if b == 36 then -- "$"
        local nxt = sub(form, k + 1, k + 1)
        if not (nxt == "1" or nxt == "2" or nxt == "3" or nxt == "Q") then
          reader:fail_at(pos, "a form whose '$' names $1, $2, $3 or $Q", form)
        end
        refs = refs + 1
        k = k + 1
      end
      k = k + 1
    end
  end
  if refs > 3 then reader:fail_at(pos, "a form with at most three parts", form) end
end

local function to_int(reader, tok, pos, lo, hi, what)
  local v = tok:match("^%-?%d+$") and math.tointeger(tonumber(tok))
  if not v or v < lo or v > hi then reader:fail_at(pos, what, tok) end
  return v
end

-- "=> ctx [width [page [size]]] [src]", "=> freq [form] [rows] [nosort]",
-- "=> count [form] [top]".
function Reader:read_output(q)
  local at = self.i
  if q.output then self:fail("only one '=>' output") end
  self.i = self.i + 2
  self:skip_blanks()
  local kind_pos = self.i
  local kind = (self:read_output_token() or ""):lower()
  local out
  if kind == "ctx" or kind == "context" then
    out = { kind = "ctx", width = 10, page = 0, size = 50, src = false }
  elseif kind == "freq" or kind == "frequency" then
    out = { kind = "freq", form = "", rows = nil, nosort = false }
  elseif kind == "count" then
    out = { kind = "count", form = "", top = nil }
  else
    self:fail_at(kind_pos, "ctx, freq or count after '=>'")
  end
  local numbers = 0
  while true do
    self:skip_blanks()
    local c = self:peek()
    if c == nil or c == "{" or c == "[" then break end
    if self:looking_at("=>") then self:fail("only one '=>' output") end
    local tok, pos, quoted = self:read_output_token()
    local low = tok:lower()
    if out.kind == "ctx" then
      if low == "src" and not quoted then
        out.src = true
      else
        numbers = numbers + 1
        if numbers == 1 then
          out.width = to_int(self, tok, pos, -1, 600, "a context width from -1 to 600")
        elseif numbers == 2 then
          out.page = to_int(self, tok, pos, 0, 2147483647, "a page number from 0")
        elseif numbers == 3 then
          out.size = to_int(self, tok, pos, 1, 200000, "a page size from 1 to 200000")
        else
          self:fail_at(pos, "'{', '[' or the end of the query after the page size", tok)
        end
      end
    elseif low == "nosort" and not quoted and out.kind == "freq" then
      out.nosort = true
    elseif quoted or not tok:match("^%-?%d+$") then
      if out.form_given then self:fail_at(pos, "one form only", tok) end
      if numbers > 0 then self:fail_at(pos, "the form before the number", tok) end
      out.form_given = true
      if out.kind == "freq" then
        check_freq_form(self, tok, pos)
      elseif not COUNT_FORMS[tok] then
        self:fail_at(pos, "a count form: $Q, $1, $2, $B, $E, $1*$2 or \"$1 $2\"", tok)
      end
      out.form = tok
    else
      numbers = numbers + 1
      if numbers > 1 then self:fail_at(pos, "'{', '[' or the end of the query", tok) end
      if out.kind == "freq" then
        out.rows = to_int(self, tok, pos, 1, 20000, "a number of rows from 1 to 20000")
      else
        out.top = to_int(self, tok, pos, 0, 2147483647, "a number of texts per count from 0")
      end
    end
  end
  out.pos = at
  q.output = out
end

------------------------------------------------------------------------------
-- Program

local function getas(atom)
  local args = { atom.unit, atom.pattern, atom.w[1], atom.w[2], atom.w[3], atom.w[4] }
  local last = 1
  for k = 2, 6 do if args[k] ~= "" then last = k end end
  local out = {}
  for k = 1, last do out[k] = lit(args[k]) end
  return "GetAS(" .. concat(out, ",") .. ")"
end

local function emit_item(lines, var, item, rel, first)
  local atom = item.pair and item.text or item
  if first then
    lines[#lines + 1] = "local " .. var .. " = " .. getas(atom)
  else
    lines[#lines + 1] = format("%s = JoinAS(%s,%s,%s)", var, var, getas(atom), lit(rel))
  end
  if item.pair then
    lines[#lines + 1] = format('%s = JoinAS(%s,%s,"SameRight")', var, var, getas(item.tag))
  end
end

local function emit_expr(lines, var, expr)
  local seq = expr.first
  for k, item in ipairs(seq.items) do emit_item(lines, var, item, seq.rels[k - 1], k == 1) end
  for _, op in ipairs(expr.ops) do
    -- The engine merges by document when the third argument is 0.
    lines[#lines + 1] = format("%s = %s(%s,%s,%d)", var, op.fn, var, getas(op.seq.items[1]), op.doc and 0 or 1)
  end
end

local BASE_OPS = { ["@"] = { 0, 0 }, ["@@"] = { 0, 1 }, ["!@"] = { 1, 0 }, ["!@@"] = { 1, 1 } }

local function build_program(q)
  local lines = {}
  -- Limits are searched by bisection: sorted, overlapping ones merged.
  -- Touching ones stay apart, since a count gives one row per limit.
  table.sort(q.limits, function(a, b) return a[1] < b[1] or (a[1] == b[1] and a[2] < b[2]) end)
  local merged = {}
  for _, r in ipairs(q.limits) do
    local last = merged[#merged]
    if last and r[1] <= last[2] then
      if r[2] > last[2] then last[2] = r[2] end
    else
      merged[#merged + 1] = { r[1], r[2] }
    end
  end
  for _, r in ipairs(merged) do lines[#lines + 1] = format("AddLimit(%d,%d)", r[1], r[2]) end
  -- SetBase and Condition both clear the condition's lists, and Filter keeps
  -- the condition: the order is SetBase, Condition, Filter.
  if q.base then
    emit_expr(lines, "b", q.base.expr)
    local mode = BASE_OPS[q.base.op]
    lines[#lines + 1] = format("SetBase(b,%d,%d)", mode[1], mode[2])
  end
  if #q.conditions > 0 then lines[#lines + 1] = "Condition(" .. lit(concat(q.conditions, ";")) .. ")" end
  emit_expr(lines, "h", q.main)
  for _, f in ipairs({ { "all", 1 }, { "any", 0 }, { "none", -1 } }) do
    local group = q.filters[f[1]]
    if #group > 0 then
      local items = {}
      for k, entry in ipairs(group) do
        local v = entry.values
        items[k] = entry.name .. "=" .. (#v == 1 and v[1] or ("[" .. concat(v, " ") .. "]"))
      end
      lines[#lines + 1] = format("h = Filter(h,%s,%d)", lit(concat(items, ";")), f[2])
    end
  end
  local out = q.output or { kind = "ctx", width = 10, page = 0, size = 50, src = false }
  if out.kind == "ctx" then
    if out.src then lines[#lines + 1] = "OriOn()" end
    lines[#lines + 1] = format("Context(h,%d,%d,%d)", out.width, out.page, out.size)
    lines[#lines + 1] = "return Output(h)"
  elseif out.kind == "freq" then
    -- Without a form the rows are the texts of the whole hits: Freq with an
    -- empty form would answer the query's own text for a plain text.
    local form = out.form ~= "" and out.form or "$Q"
    if out.nosort then
      lines[#lines + 1] = format("Freq(h,%s,1)", lit(form))
    else
      lines[#lines + 1] = format("Freq(h,%s)", lit(form))
    end
    lines[#lines + 1] = out.rows and format("return Output(h,%d)", out.rows) or "return Output(h)"
  else
    if out.top then
      lines[#lines + 1] = format("Count(h,%s,%d)", lit(out.form), out.top)
    elseif out.form ~= "" then
      lines[#lines + 1] = format("Count(h,%s)", lit(out.form))
    else
      lines[#lines + 1] = "Count(h)"
    end
    lines[#lines + 1] = "return Output(h)"
  end
  return concat(lines, "\n") .. "\n"
end

------------------------------------------------------------------------------
-- Entry

local function parse(reader)
  local q = { conditions = {}, filters = { all = {}, any = {}, none = {} }, limits = {} }
  reader:skip_blanks()
  q.main = reader:read_expr()
  reader:skip_blanks()
  for _, op in ipairs({ "!@@", "!@", "@@", "@" }) do
    if reader:looking_at(op) then
      reader.i = reader.i + #op
      reader:skip_blanks()
      q.base = { op = op, expr = reader:read_expr() }
      break
    end
  end
  while true do
    reader:skip_blanks()
    local c = reader:peek()
    if c == nil then break end
    if c == "{" then
      reader:read_braces(q)
    elseif c == "[" then
      reader:read_brackets(q)
    elseif c == "=" and reader:peek(reader.i + 1) == ">" then
      reader:read_output(q)
    else
      reader:fail(q.base and "'{', '[', '=>' or the end of the query"
                  or "an operator, '{', '[', '=>' or the end of the query")
    end
  end
  return build_program(q)
end

-- Blanks out the echo marker (outside quotes) and the time-limit prefix
-- "~N,M:" of the service, keeping every other byte where it was.
local function strip_markers(s)
  local echo = false
  local prefix = s:match("^~[%d,]+:")
  if prefix and select(2, prefix:gsub(",", "")) <= 1 then s = rep(" ", #prefix) .. sub(s, #prefix + 1) end
  local out, k, quoted, escaped = {}, 1, false, false
  while k <= #s do
    local len = (byte(s, k) >= 0x80) and 2 or 1
    local c = sub(s, k, k + len - 1)
    if escaped then
      escaped = false
    elseif not quoted and sub(s, k, k + #ECHO_MARK - 1) == ECHO_MARK then
      echo = true
      c, len = rep(" ", #ECHO_MARK), #ECHO_MARK
    elseif c == '"' then
      quoted = not quoted
    elseif c == "\\" and quoted then
      escaped = true
    end
    out[#out + 1] = c
    k = k + len
  end
  return concat(out), echo
end

function Parser(query, lang, _version)
  local echo = false
  local ok, result = pcall(function()
    if type(query) == "number" then query = tostring(query) end
    if type(query) ~= "string" then
      error({ message = "the query must be a text" }, 0)
    end
    local text
    text, echo = strip_markers(query)
    return parse(new_reader(text, lang == 0))
  end)
  local program
  if ok then
    program = result
  elseif type(result) == "table" and result.pos then
    local reader = new_reader(query, false)
    local pos = reader:charno(result.pos)
    local found = clip(result.found, 20)
    local found_desc = (found == "" and "the end of the query") or ("'" .. found .. "'")
    program = error_program({
      { "error", format("query error at character %d: expected %s, found %s", pos, result.expected, found_desc) },
      { "position", pos },
      { "expected", result.expected },
      { "found", found },
    })
  elseif type(result) == "table" and result.message then
    program = error_program({ { "error", result.message } })
  else
    program = error_program({ { "error", "internal parser error: " .. tostring(result) } })
  end
  if echo then program = ECHO_MARK .. "\n" .. program end
  if #program > MAX_PROGRAM then
    program = error_program({
      { "error", format("the query is too large: its program would have %d bytes, at most %d are allowed",
                        #program, MAX_PROGRAM) },
    })
    if echo then program = ECHO_MARK .. "\n" .. program end
  end
  return program
end

------------------------------------------------------------------------------
-- Full-text requests (docs/query-language.md, "Full-text requests")

local BM_CONDITION_MARK = "::"
local BM_DEFAULT_PAGE = 10

-- A page size and number as the engine passes them (floats), made whole.
local function page_args(page_size, page_no)
  local size = math.tointeger(math.floor(tonumber(page_size) or 0)) or 0
  local no = math.tointeger(math.floor(tonumber(page_no) or 0)) or 0
  if size <= 0 then size = BM_DEFAULT_PAGE end
  if no < 0 then no = 0 end
  return size, no
end

-- ParserBMQ(query, pageSize, pageNo, type): a ranked search of the words of
-- query (type 0: any word, 1: every word, 2..100: the rarest type percent of
-- the words), its documents kept by the condition after "::" when there is
-- one, and one page of them as JSON.
function ParserBMQ(query, page_size, page_no, kind)
  if type(query) == "number" then query = tostring(query) end
  if type(query) ~= "string" then return error_program({ { "error", "the query must be a text" } }) end
  local size, no = page_args(page_size, page_no)
  kind = math.tointeger(math.floor(tonumber(kind) or 0)) or 0
  local words, condition = query, nil
  local mark = find(query, BM_CONDITION_MARK, 1, true)
  if mark then
    words, condition = sub(query, 1, mark - 1), sub(query, mark + #BM_CONDITION_MARK)
  end
  if not find(words, "[^ \t\r\n]") then
    return error_program({ { "error", "the full-text query has no words" } })
  end
  local wanted = size * (no + 1)
  local search
  if kind == 1 then
    search = format("Must(%s, %d)", lit(words), wanted)
  elseif kind >= 2 and kind <= 100 then
    search = format("BM25Doc(%s, %d, %d)", lit(words), kind, wanted)
  else
    search = format("Should(%s, %d)", lit(words), wanted)
  end
  local lines = { "local h = " .. search }
  condition = condition and condition:match("^[ \t\r\n]*(.-)[ \t\r\n]*$")
  if condition and condition ~= "" then
    lines[#lines + 1] = format("h = Condition(h, %s, 1)", lit(condition))
  end
  lines[#lines + 1] = format('GetOrg(h, %d, %d, "")', size, no)
  lines[#lines + 1] = 'return ""'
  return concat(lines, "\n") .. "\n"
end

-- ParserBMID(fields, ids, pageSize, pageNo): the documents whose names begin
-- with one of ids (separated by ";"), one page of them as JSON showing the
-- fields and information keys named in fields (all when it names none).
function ParserBMID(fields, ids, page_size, page_no)
  if type(fields) ~= "string" then fields = "" end
  if type(ids) ~= "string" then ids = "" end
  local size, no = page_args(page_size, page_no)
  return format("GetDocInfo(%s, %s, %d, %d)\nreturn \"\"\n", lit(ids), lit(fields), size, no)
end
