-- Neovim's own LSP client, started by the set-up that README.md shows, on a copy of
-- examples/invalid.cfg in a project's subfolder: the diagnostics sit on the lines where the
-- program reports its findings, with the notes in their messages, and completion after
-- "direction=" offers the module's words. A .cfg file of no project gets no client.
local exe, src = os.getenv('QUORLIN_VALIDATE'), os.getenv('QUORLIN_SOURCE_DIR')

-- The README's Neovim set-up: the first Lua block after "**Neovim**".
local function readme_snippet()
  local readme = assert(io.open(src .. '/README.md')):read('*a')
  local from = assert(readme:find('**Neovim**', 1, true), 'README.md has no Neovim set-up')
  return assert(readme:match('```lua\n(.-)```', from), 'no Lua block after **Neovim**')
end

local function write(path, text)
  local file = assert(io.open(path, 'w'))
  file:write(text)
  file:close()
end

local function check()
  vim.env.PATH = exe:match('(.*)/') .. ':' .. vim.env.PATH  -- the snippet runs it from PATH
  local project = vim.fn.tempname()
  vim.fn.mkdir(project .. '/plant', 'p')
  write(project .. '/.quorlin-validate.toml', 'dp-lists = ["' .. src .. '/examples/plant.dpl"]\n')
  local config = project .. '/plant/invalid.cfg'
  write(config, assert(io.open(src .. '/examples/invalid.cfg')):read('*a'))
  assert((loadstring or load)(readme_snippet()))()

  local expected = {}
  local cli = io.popen(exe .. ' --quiet ' .. config)
  for line in cli:lines() do
    local n = line:match('^[^:]+:(%d+):.-error:')
    if n then table.insert(expected, tonumber(n)) end
  end
  cli:close()
  assert(#expected > 0, 'the program reported no finding')

  vim.cmd('edit ' .. config)
  local buf = vim.api.nvim_get_current_buf()
  assert(vim.wait(10000, function() return #vim.diagnostic.get(buf) > 0 end, 20), 'no diagnostics')
  local got, notes = {}, 0
  for _, d in ipairs(vim.diagnostic.get(buf)) do
    table.insert(got, d.lnum + 1)
    if d.message:find('\nnote: ', 1, true) then notes = notes + 1 end
  end
  table.sort(got)
  assert(vim.deep_equal(got, expected), 'diagnostics on lines ' .. table.concat(got, ',') ..
         ', findings on lines ' .. table.concat(expected, ','))
  assert(notes > 0, 'no diagnostic shows its notes in its message')

  local replies = vim.lsp.buf_request_sync(buf, 'textDocument/completion', {
    textDocument = {uri = vim.uri_from_bufnr(buf)}, position = {line = 4, character = 10}}, 5000)
  local labels = {}
  for _, reply in pairs(replies or {}) do
    for _, item in ipairs(reply.result.items) do labels[item.label] = true end
  end
  assert(labels['in/out'] and labels['in'] and labels['out'], 'no direction words completed')

  local outside = vim.fn.tempname()
  vim.fn.mkdir(outside, 'p')
  write(outside .. '/setup.cfg', '[metadata]\nname = tool\n')
  vim.cmd('edit ' .. outside .. '/setup.cfg')
  assert(vim.bo.filetype == 'cfg', 'setup.cfg is not of filetype cfg')
  vim.wait(300)
  assert(#vim.lsp.buf_get_clients(0) == 0, 'a client attached to a .cfg file of no project')
  vim.lsp.stop_client(vim.lsp.get_active_clients())
end

local ok, err = pcall(check)
if not ok then
  io.stderr:write('neovim_test: ' .. tostring(err) .. '\n')
  vim.cmd('cquit 1')
end
print('neovim_test: 1 passed, 0 failed')
vim.cmd('qall!')
