-- Neovim's own LSP client, started by the set-up that README.md shows, on a copy of
-- examples/invalid.cfg in a project's subfolder: the diagnostics sit on the lines where the
-- program reports its findings, with the notes in their messages, and completion after
-- "direction=" offers the module's words, definition leads from "dpe=PS1.voltage" to the DP
-- list's line of PS1, and the class finding's code action, applied, ends that finding. A .cfg
-- file of no project gets no client.
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

  local uri = vim.uri_from_bufnr(buf)
  replies = vim.lsp.buf_request_sync(buf, 'textDocument/definition', {
    textDocument = {uri = uri}, position = {line = 2, character = 5}}, 5000)
  local location
  for _, reply in pairs(replies or {}) do location = reply.result end
  location = location and (location[1] or location)
  assert(location and location.uri == vim.uri_from_fname(src .. '/examples/plant.dpl'),
         'no definition in the DP list: ' .. vim.inspect(location))
  local dpl = vim.fn.readfile(src .. '/examples/plant.dpl')
  assert(dpl[location.range.start.line + 1]:match('^PS1\t'), 'definition not on the line of PS1')

  local function class_finding()
    for _, d in ipairs(vim.diagnostic.get(buf)) do
      if d.code == 'class' then return d end
    end
  end
  local d = assert(class_finding(), 'no class finding')
  local diagnostic = {message = d.message, code = d.code, severity = 1, range = {
    start = {line = d.lnum, character = d.col}, ['end'] = {line = d.end_lnum, character = d.end_col}}}
  replies = vim.lsp.buf_request_sync(buf, 'textDocument/codeAction', {textDocument = {uri = uri},
    range = diagnostic.range, context = {diagnostics = {diagnostic}}}, 5000)
  local action
  for _, reply in pairs(replies or {}) do action = (reply.result or {})[1] end
  assert(action and action.edit, 'no code action for the class finding')
  vim.lsp.util.apply_workspace_edit(action.edit, 'utf-16')
  assert(vim.wait(10000, function() return class_finding() == nil end, 20),
         'the class finding stayed after its code action: ' .. action.title)

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
