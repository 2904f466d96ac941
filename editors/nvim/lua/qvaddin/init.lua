-- qvaddin's language server for VB5/6 module files in Neovim, 0.7 and later.
--
--   require("qvaddin").setup()                        -- qvaddin on the PATH
--   require("qvaddin").setup({
--     cmd = { "/opt/qvaddin/bin/qvaddin", "lsp" },
--     init_options = { severities = { SOME = "hint" } },
--     on_attach = function(client, bufnr) ... end,     -- your key maps
--   })
--
-- Neovim takes .bas for FreeBASIC or QB64, .cls for TeX or Smalltalk and
-- .frm for a form language: the module files are set to the "vb" file type
-- here, whatever the detection said, and the server is started for them.
-- One server serves every module under the same project folder (the nearest
-- folder above the file that holds a .vbp, else the file's own folder).

local M = {}

-- libuv's bindings: vim.uv from 0.10 on, where vim.loop is kept only as an
-- old name that a later release drops.
local uv = vim.uv or vim.loop

M.extensions = { "bas", "cls", "frm", "ctl", "pag", "dob", "dsr" }

local defaults = {
  cmd = { "qvaddin", "lsp" },
  init_options = {},
  on_attach = nil,
  capabilities = nil,
}

local config = nil
local clients = {} -- root folder -> client id (0.7, which has no vim.lsp.start)

local function is_vbp(name)
  return name:lower():match("%.vbp$") ~= nil
end

local function folder_has_vbp(folder)
  local handle = uv.fs_scandir(folder)
  while handle do
    local name, kind = uv.fs_scandir_next(handle)
    if not name then
      break
    end
    if kind ~= "directory" and is_vbp(name) then
      return true
    end
  end
  return false
end

-- The project folder of a file: the nearest folder above it with a .vbp.
function M.root_dir(path)
  local file_folder = vim.fn.fnamemodify(path, ":p:h")
  local folder = file_folder
  while true do
    if folder_has_vbp(folder) then
      return folder
    end
    local parent = vim.fn.fnamemodify(folder, ":h")
    if parent == folder then
      return file_folder
    end
    folder = parent
  end
end

local function client_config(root)
  return {
    name = "qvaddin",
    cmd = config.cmd,
    root_dir = root,
    init_options = config.init_options,
    on_attach = config.on_attach,
    capabilities = config.capabilities,
    workspace_folders = { { uri = vim.uri_from_fname(root), name = root } },
  }
end

-- Starts the server for the project of the buffer, or attaches the buffer to
-- the one already running there.
function M.attach(bufnr)
  local path = vim.api.nvim_buf_get_name(bufnr)
  if path == "" then
    return
  end
  local root = M.root_dir(path)
  if vim.lsp.start then
    vim.lsp.start(client_config(root), { bufnr = bufnr })
    return
  end
  local id = clients[root]
  if id == nil or vim.lsp.get_client_by_id(id) == nil then
    id = vim.lsp.start_client(client_config(root))
    clients[root] = id
  end
  if id then
    vim.lsp.buf_attach_client(bufnr, id)
  end
end

function M.setup(options)
  config = vim.tbl_deep_extend("force", defaults, options or {})
  local patterns = {}
  for _, extension in ipairs(M.extensions) do
    table.insert(patterns, "*." .. extension)
    table.insert(patterns, "*." .. extension:upper())
  end
  local group = vim.api.nvim_create_augroup("qvaddin", { clear = true })
  vim.api.nvim_create_autocmd({ "BufRead", "BufNewFile" }, {
    group = group,
    pattern = patterns,
    callback = function(args)
      if vim.bo[args.buf].filetype ~= "vb" then
        vim.bo[args.buf].filetype = "vb"
      end
    end,
  })
  vim.api.nvim_create_autocmd("FileType", {
    group = group,
    pattern = "vb",
    callback = function(args)
      local name = vim.api.nvim_buf_get_name(args.buf):lower()
      for _, extension in ipairs(M.extensions) do
        if name:sub(-#extension - 1) == "." .. extension then
          M.attach(args.buf)
          return
        end
      end
    end,
  })
end

return M
