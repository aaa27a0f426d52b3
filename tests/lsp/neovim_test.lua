-- Neovim's own LSP client on examples/invalid.cfg: the diagnostics sit on the lines where the
-- program reports its findings, and completion after "direction=" offers the module's words.
local exe, src = os.getenv('QUORLIN_VALIDATE'), os.getenv('QUORLIN_SOURCE_DIR')
local config = src .. '/examples/invalid.cfg'

local function check()
  local expected = {}
  local cli = io.popen(exe .. ' --quiet --dp-list ' .. src .. '/examples/plant.dpl ' .. config)
  for line in cli:lines() do
    local n = line:match('^[^:]+:(%d+):.-error:')
    if n then table.insert(expected, tonumber(n)) end
  end
  cli:close()
  assert(#expected > 0, 'the program reported no finding')

  vim.cmd('edit ' .. config)
  local buf = vim.api.nvim_get_current_buf()
  local client = vim.lsp.start_client({cmd = {exe, '--lsp'}, root_dir = src,
                                       init_options = {dpLists = {'examples/plant.dpl'}}})
  vim.lsp.buf_attach_client(buf, client)
  assert(vim.wait(10000, function() return #vim.diagnostic.get(buf) > 0 end, 20), 'no diagnostics')
  local got = {}
  for _, d in ipairs(vim.diagnostic.get(buf)) do table.insert(got, d.lnum + 1) end
  table.sort(got)
  assert(vim.deep_equal(got, expected), 'diagnostics on lines ' .. table.concat(got, ',') ..
         ', findings on lines ' .. table.concat(expected, ','))

  local replies = vim.lsp.buf_request_sync(buf, 'textDocument/completion', {
    textDocument = {uri = vim.uri_from_bufnr(buf)}, position = {line = 4, character = 10}}, 5000)
  local labels = {}
  for _, reply in pairs(replies or {}) do
    for _, item in ipairs(reply.result.items) do labels[item.label] = true end
  end
  assert(labels['in/out'] and labels['in'] and labels['out'], 'no direction words completed')
  vim.lsp.stop_client(client)
end

local ok, err = pcall(check)
if not ok then
  io.stderr:write('neovim_test: ' .. tostring(err) .. '\n')
  vim.cmd('cquit 1')
end
print('neovim_test: 1 passed, 0 failed')
vim.cmd('qall!')
