-- Drives Neovim as a person would, with the shipped set-up, on one module
-- of a copy of the example project: waits for the diagnostics, chooses the
-- "add error handling" action from the code-action menu and writes the file,
-- chooses it again where it is refused, un-indents a routine, formats and
-- writes. What it saw goes to $QV_OUT (JSON) and the file's bytes after
-- each step to $QV_OUT.<step>; the test compares them with the command line.
-- Any failure quits with a non-zero exit code.

local program = os.getenv("QV_PROGRAM")
local file = os.getenv("QV_FILE")
local out = os.getenv("QV_OUT")
local routine = os.getenv("QV_ROUTINE")
local wait_ms = 30000
local seen = { version = tostring(vim.version().major) .. "." .. tostring(vim.version().minor) }

local function fail(text)
  io.stderr:write("nvim session: " .. text .. "\n")
  vim.cmd("cquit 1")
end

local function save_copy(step)
  vim.fn.writefile(vim.fn.readfile(file, "b"), out .. "." .. step, "b")
end

-- Every window/showMessage the server sends, as the client's handler gets it.
local messages = {}
local show_message = vim.lsp.handlers["window/showMessage"]
vim.lsp.handlers["window/showMessage"] = function(err, result, ctx, config)
  table.insert(messages, result.message)
  return show_message(err, result, ctx, config)
end

-- The code-action menu: pick the entry with the title asked for.
local wanted_title = nil
local offered = {}
vim.ui.select = function(items, opts, on_choice)
  offered = {}
  for _, item in ipairs(items) do
    local title = opts.format_item and opts.format_item(item) or tostring(item)
    table.insert(offered, title)
    if title == wanted_title then
      on_choice(item)
      return
    end
  end
  on_choice(nil)
end

local function choose_action(title)
  wanted_title = title
  offered = {}
  vim.lsp.buf.code_action()
  if not vim.wait(wait_ms, function() return #offered > 0 end, 20) then
    fail("no code actions were offered")
  end
end

local function line_of(pattern, after)
  for i, line in ipairs(vim.api.nvim_buf_get_lines(0, 0, -1, true)) do
    if i > (after or 0) and line:match(pattern) then
      return i
    end
  end
  fail("no line matches " .. pattern)
end

require("qvaddin").setup({ cmd = { program, "lsp" } })
vim.cmd("edit " .. vim.fn.fnameescape(file))
seen.filetype = vim.bo.filetype

-- Diagnostics on the declaration lines.
if not vim.wait(wait_ms, function() return #vim.diagnostic.get(0) > 0 end, 20) then
  fail("no diagnostics arrived")
end
seen.diagnostic_lines = {}
for _, d in ipairs(vim.diagnostic.get(0)) do
  table.insert(seen.diagnostic_lines, d.lnum + 1)
end
table.sort(seen.diagnostic_lines)

-- Add error handling to the routine, from inside its body.
local declaration = line_of("^Public Function " .. routine .. "%(")
vim.api.nvim_win_set_cursor(0, { declaration + 2, 4 })
local tick = vim.b.changedtick
choose_action("Add error handling to " .. routine)
if not vim.wait(wait_ms, function() return vim.b.changedtick ~= tick end, 20) then
  fail("the add action changed nothing; offered: " .. table.concat(offered, " | "))
end
vim.cmd("write")
save_copy("added")

-- The same action again is refused: choosing it shows the message.
vim.api.nvim_win_set_cursor(0, { declaration + 2, 4 })
local before = #messages
tick = vim.b.changedtick
choose_action("Add error handling to " .. routine)
if not vim.wait(wait_ms, function() return #messages > before end, 20) then
  fail("choosing the refused action showed nothing; offered: " .. table.concat(offered, " | "))
end
seen.refusal = messages[#messages]
seen.refusal_changed = vim.b.changedtick ~= tick

-- Un-indent the body of another routine, write, and format the document.
local first = line_of("^Public Function Describe%(")
local last = line_of("^End Function", first)
for l = first + 1, last - 1 do
  local text = vim.api.nvim_buf_get_lines(0, l - 1, l, true)[1]
  vim.api.nvim_buf_set_lines(0, l - 1, l, true, { (text:gsub("^%s+", "")) })
end
vim.cmd("write")
save_copy("unindented")
tick = vim.b.changedtick
if vim.lsp.buf.format then
  vim.lsp.buf.format({ timeout_ms = wait_ms })
else
  vim.lsp.buf.formatting_sync(nil, wait_ms)
end
if vim.b.changedtick == tick then
  fail("formatting changed nothing")
end
vim.cmd("write")
save_copy("formatted")

vim.fn.writefile({ vim.fn.json_encode(seen) }, out)
vim.cmd("qall!")
